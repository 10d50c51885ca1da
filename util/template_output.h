// NUOutput and NUTemplateToOutput: template sections, $name$ variables,
// HTML escaping and form filling, written to standard output or a buffer.
#pragma once

#include <cstdio>

class NUNVList;

// Abstract output: set named variables, then produce the output.
class NUOutput {
public:
    NUOutput() = default;
    NUOutput(const NUOutput&) = delete;
    NUOutput& operator=(const NUOutput&) = delete;

    // Stores a variable; see NUTemplateToOutput.
    virtual int SetVar(const char* name, const char* value, int escapeLevel) = 0;
    // Produces the output.
    virtual int Output() = 0;
    // True: the output expands variables.
    virtual bool CanExpand();
    // Deletes the object (null-safe through the caller: `if (o) o->Release()`).
    virtual void Release();
    // Frees `output`.
    virtual ~NUOutput();

    // Collected output in buffer mode (owned, malloc'd), or null.
    const char* OutputText() const { return output; }

protected:
    // Adds result (a malloc'd text, taken over) to the collected output:
    // the first becomes the output, later ones are appended to it. -2 when
    // the output cannot grow; result is freed and the output kept as it was.
    int CollectOutput(char* result);

    bool toBuffer = false;

private:
    char* output = nullptr;
    // Length of the output's text and the bytes held for it, kept by
    // CollectOutput, the only writer of output: appending costs what is
    // appended, however much has been collected.
    size_t outputLength = 0;
    size_t outputCapacity = 0;
};

// Template expander. Results: 0 or a count on success, negative codes:
// -50 bad argument, -51 out of memory, -52 no template, -53 cannot open,
// -54 read error, -55 too large, -56 start marker not found, -57 end marker
// not found, -2 collected output could not grow.
class NUTemplateToOutput : public NUOutput {
public:
    NUTemplateToOutput();

    // Adds name = value (value null read as ""); escapeLevel > 0 stores the
    // value escaped at that level. -50 for a null or empty name.
    int SetVar(const char* name, const char* value, int escapeLevel) override;
    // Render().
    int Output() override;
    bool CanExpand() override;
    void Release() override;
    ~NUTemplateToOutput() override;

    // Removes every variable of that name (null: all); the list's result.
    virtual int RemoveVar(const char* name);
    // Drops a text loaded from a file earlier and stores the path (cut to
    // 1023 bytes). A true flag switches on buffer mode and keepCase.
    virtual void SetTemplateFile(const char* path, bool toBufferAndKeepCase);
    // Uses the caller's text, which stays the caller's (not copied, not
    // freed); it must live until the last Render.
    virtual void SetTemplateText(char* text, bool toBufferAndKeepCase);
    virtual void SetStartLine(int n);
    virtual void SetStartMarker(const char* s);
    virtual void SetLastLine(int n);
    virtual void SetEndMarker(const char* s);
    // Loads the template, cuts the section, expands it and writes it out or
    // appends it to `output`.
    virtual int Render();
    // Prints text on standard output; 0.
    virtual int WriteOut(const char* text);
    // The list whose Find answers $LL...$ lookups; not owned.
    virtual void SetMessageSource(NUNVList* source);
    // Sets name to an eight-digit date rewritten as YYYY-MM-DD, any other
    // date as given.
    virtual int SetDateVar(const char* name, const char* date);
    virtual void SetDefaultSelectValue(const char* s);
    // Back to the defaults, with a new variable list of that capacity
    // (128 when capacity < 1).
    virtual void ResetTemplate(int capacity);
    // UTF-8 sequence length of a lead byte; 1 for ASCII or an invalid lead.
    virtual int CharLength(int byte);
    // HTML-escapes s (up to NUL, or up to and including end) into a new
    // malloc'd buffer *out owned by the caller; 0 or -50, -51.
    virtual int Escape(const char* s, const char* end, char** out, int level);
    // Whole file into a new malloc'd NUL-terminated buffer; its size or a
    // negative code.
    virtual int ReadTemplateFile(const char* path, char** out);
    // The selected section as a new malloc'd buffer owned by the caller.
    virtual int SelectSection(char** out);
    // Reallocates *buf (zero-filled) to newCapacity bytes, keeping its text.
    virtual int GrowBuffer(char** buf, int* capacity, int newCapacity);
    // Appends at most n bytes of s to the text in *buf, growing it.
    virtual int AppendText(char** buf, int* capacity, const char* s, int n);
    // Upper-cases tag and attribute names outside quotes and values.
    virtual void UppercaseTags(char* text);
    // Finds attr= in the tag before its first '>'; 1 with *first/*last on
    // the value's first and last byte (quotes included), 0 when absent.
    virtual int FindAttr(const char* tag, const char* attr, const char** first,
                         const char** last);
    // Looks up the variable named by the tag's attribute; *value is set
    // only when found. 0 or a lookup error.
    virtual int AttrVariable(const char* tag, const char* attr, const char** value);
    // Replaces $name$ variables; *out is a new malloc'd buffer.
    virtual int Substitute(const char* text, char** out);
    virtual int FillSelect(char** buf, int* capacity, const char* tag, int tagLength);
    // 1 when the control was filled (its template content is dropped).
    virtual int FillTextarea(char** buf, int* capacity, const char* tag, int tagLength);
    virtual int FillOption(char** buf, int* capacity, const char* tag, int tagLength);
    virtual int FillForm(char** buf, int* capacity, const char* tag, int tagLength);
    virtual int FillInput(char** buf, int* capacity, const char* tag, int tagLength);
    // Substitute, then upper-case tags or fill form controls; *out is a new
    // malloc'd buffer, left unset for an empty text (result 0).
    virtual int Expand(const char* text, char** out);

private:
    int FindAttrIn(const char* tag, const char* tagEnd, const char* attr, const char** first,
                   const char** last);
    int LookupVar(const char* name, const char** value);
    // AppendText of exactly n bytes, which hold no NUL.
    int AppendBytes(char** buf, int* capacity, const char* s, size_t n);
    // strlen(buf), known without a scan for the work buffer.
    size_t TextLength(const char* buf) const;
    int TagVariable(const char* tag, int tagLength, const char** value);
    int AppendFilledTag(char** buf, int* capacity, const char* tag, int tagLength,
                        const char* word, const char* attr, const char* value);
    int AppendWithMarker(char** buf, int* capacity, const char* tag, int tagLength,
                         const char* word, bool on, const char* const* markers,
                         const char* addMarker);
    void DropText();
    // currentSelectValue := defaultSelectValue, with nothing selected yet.
    void StartSelection();

    char templatePath[1024] = {};
    int startLine = 1;
    int lastLine = 0;
    char startMarker[128] = {};
    char endMarker[128] = {};
    char* text = nullptr;
    int textLength = 0;
    char* givenText = nullptr;
    NUNVList* variables = nullptr;
    char currentSelectValue[64] = {};
    char defaultSelectValue[64] = {};
    // An option was selected: no later option of the select matches.
    bool selectionTaken = false;
    NUNVList* messageSource = nullptr;
    bool keepCase = false;
    char lastInputName[64] = {};

    // The work buffer of the running Substitute or Expand and the length of
    // its text, so that appending to it does not rescan it. Its owner sets
    // them when it creates the buffer (WorkBufferScope) and clears them
    // before it frees or hands the buffer on, so the length never outlives
    // the buffer; AppendText and GrowBuffer keep them current, and the Fill
    // operations write to the buffer through them. Any other buffer is
    // measured where its text ends.
    class WorkBufferScope;
    char* workBuffer = nullptr;
    size_t workLength = 0;
};

// Reads a whole file (codes as ReadTemplateFile).
int TemplateReadWholeFile(const char* path, char** out);
// Platform side: opens a file (a UTF-8 path) for binary reading, null when
// it cannot be opened; puts standard output into binary mode.
std::FILE* TemplateOpenForReading(const char* path);
void TemplateStdoutBinary();
