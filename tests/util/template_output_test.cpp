// NUTemplateToOutput: variables, escaping, sections, form filling, output modes.
#include "util/template_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/temp_dir.h"
#include "util/nv_list.h"

namespace {

// Expands text in buffer mode (keepCase on) and returns the collected output.
std::string RenderText(NUTemplateToOutput& t, std::string& text, int* result = nullptr) {
    t.SetTemplateText(text.data(), true);
    int ret = t.Render();
    if (result) *result = ret;
    return t.OutputText() ? t.OutputText() : "";
}

}  // namespace

// Expansion of one template text with variables: substitution, and the
// form elements filled from the variables of their names.
TEST(TemplateExpand, Rows) {
    const std::string select =
        "<select name=\"s\"><option value=\"1\" selected>1<option value=\"2\">2"
        "<option value=\"3\">3</select>";
    struct Row {
        std::string source;
        std::vector<std::pair<const char*, const char*>> vars;
        std::string expected;
    } rows[] = {
        {"Dear $user$, $missing$ $", {{"user", "Ann"}}, "Dear Ann, $missing$ $"},
        // A '$' without its partner on the same line is copied with that line.
        {"$a\nb$c$", {{"a", "X"}, {"c", "Y"}}, "$a\nbY"},
        {"cost $5", {}, "cost $5"},
        // The first of duplicate variables wins; a null value reads as "".
        {"[$v$][$n$]", {{"v", "1"}, {"v", "2"}, {"n", nullptr}}, "[1][]"},
        {"Up to $limit$ characters", {{"limit", "20"}}, "Up to 20 characters"},
        {"<input type=\"text\" name=\"q\">", {{"q", "v"}}, "<input value=\"v\"  type=\"text\" name=\"q\">"},
        {"<input name=\"q\" value=\"old\">", {{"q", "v"}}, "<input name=\"q\" value=\"v\" >"},
        {"<input name=q value=old size=3>", {{"q", "v"}}, "<input name=q value=\"v\"  size=3>"},
        // No variable: the tag stays as it is.
        {"<input name=\"z\" value=\"old\">", {{"q", "v"}}, "<input name=\"z\" value=\"old\">"},
        // An attribute name inside another one is not the attribute.
        {"<input xname=\"a\" name=\"q\">", {{"q", "v"}, {"a", "w"}},
         "<input value=\"v\"  xname=\"a\" name=\"q\">"},
        {"<input type=checkbox name=c>", {{"c", "1"}}, "<input checked type=checkbox name=c>"},
        {"<input type=checkbox name=c checked>", {{"c", "0"}}, "<input type=checkbox name=c>"},
        {"<input type=checkbox name=c checked>", {{"c", "1"}}, "<input type=checkbox name=c checked>"},
        {"<input type=checkbox name=c checked=\"checked\">", {{"c", "0"}}, "<input type=checkbox name=c>"},
        {"<input checked=\"checked\" type=checkbox name=c>", {{"c", "1"}},
         "<input checked=\"checked\" type=checkbox name=c>"},
        {"<input type=radio name=r value=a checked><input type=radio name=r value=b>", {{"r", "b"}},
         "<input type=radio name=r value=a><input checked type=radio name=r value=b>"},
        {select, {{"s", "2"}},
         "<select name=\"s\"><option value=\"1\">1<option selected=\"selected\" value=\"2\">2"
         "<option value=\"3\">3</select>"},
        // Without the variable the template's own marker stays.
        {select, {}, select},
        // The first match clears the select value: a second "2" is not
        // marked, nor is an option with an empty value.
        {"<select name=s><option value=2><option value=2>", {{"s", "2"}},
         "<select name=s><option selected=\"selected\" value=2><option value=2>"},
        {"<select name=s><option value=2><option value=\"\">", {{"s", "2"}},
         "<select name=s><option selected=\"selected\" value=2><option value=\"\">"},
        {"<textarea name=t>old\ntext</textarea>!", {{"t", "new"}}, "<textarea name=t>\nnew</textarea>!"},
        {"<textarea name=t>old</textarea>", {}, "<textarea name=t>old</textarea>"},
        {"<form name=f method=post>", {{"f", "/go"}}, "<form action=\"/go\"  name=f method=post>"},
        {"<form name=f action=\"/x\">", {{"f", "/go"}}, "<form name=f action=\"/go\" >"},
        // Unclosed tags and markers do not break the expansion.
        {"a <input name=q\nb", {{"q", "v"}}, "a <input value=\"v\"  name=q\nb"},
        {"x <option", {}, "x <option"},
        {"<", {}, "<"},
        {"$$$", {}, "$$$"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        NUTemplateToOutput t;
        for (const auto& [name, value] : row.vars) t.SetVar(name, value, 0);
        std::string text = row.source;
        EXPECT_EQ(RenderText(t, text), row.expected);
    }
    // Duplicates and a null value with a variable list long enough to be
    // looked up by hash.
    NUTemplateToOutput t;
    for (int i = 0; i < 12; ++i) t.SetVar(("w" + std::to_string(i)).c_str(), "x", 0);
    t.SetVar("v", "1", 0);
    t.SetVar("v", "2", 0);
    std::string text = "[$v$][$w11$][$zz$][$w1\n$]";
    EXPECT_EQ(RenderText(t, text), "[1][x][$zz$][$w1\n$]");
}

TEST(TemplateSubstitute, WordKeysUseTheMessageSourceOrTheKey) {
    NUNVList words;
    words.Add("save", "Save", 5);
    NUTemplateToOutput t;
    std::string text = "$LLsave$ $LLcancel$";
    EXPECT_EQ(RenderText(t, text), "save cancel");
    NUTemplateToOutput withSource;
    withSource.SetMessageSource(&words);
    EXPECT_EQ(RenderText(withSource, text), "Save cancel");
}

TEST(TemplateEscape, LevelsOneAndTwo) {
    NUTemplateToOutput t;
    EXPECT_EQ(t.SetVar("m", "a<b & \"c\">", 1), 0);
    EXPECT_EQ(t.SetVar("p", "x\n  y\r\n\t z", 2), 0);
    EXPECT_EQ(t.SetVar("u", "\xE6\x97\xA5<", 1), 0);
    // A lead byte without its continuation bytes never carries markup past.
    EXPECT_EQ(t.SetVar("b", "\xE6<s>\xC3&", 1), 0);
    std::string text = "$m$|$p$|$u$|$b$";
    EXPECT_EQ(RenderText(t, text),
              "a&lt;b &amp; &quot;c&quot;&gt;|x<br>\n&nbsp; y<br>\n\t&nbsp;z|\xE6\x97\xA5&lt;|"
              "\xE6&lt;s&gt;\xC3&amp;");
}

TEST(TemplateEscape, BadArgumentsAndRange) {
    NUTemplateToOutput t;
    char* out = nullptr;
    EXPECT_EQ(t.Escape(nullptr, nullptr, &out, 1), -50);
    EXPECT_EQ(t.Escape("a", nullptr, nullptr, 1), -50);
    EXPECT_EQ(t.Escape("a", nullptr, &out, 0), -50);
    const char* s = "a&b&c";
    EXPECT_EQ(t.Escape(s + 1, s, &out, 1), -50);
    ASSERT_EQ(t.Escape(s, s + 1, &out, 1), 0);  // up to and including end
    EXPECT_STREQ(out, "a&amp;");
    free(out);
    // A multi-byte sequence cut short by the end is copied as far as it goes.
    const char* cut = "\xE6\x97";
    ASSERT_EQ(t.Escape(cut, nullptr, &out, 1), 0);
    EXPECT_STREQ(out, "\xE6\x97");
    free(out);
    EXPECT_EQ(t.SetVar("", "x", 0), -50);
    EXPECT_EQ(t.SetVar(nullptr, "x", 0), -50);
}

TEST(TemplateForm, DefaultModeUppercasesTagsAndFillsNothing) {
    NUTemplateToOutput t;
    t.SetVar("q", "v", 0);
    t.SetVar("who", "<b>", 0);
    std::string text = "<input type=\"text\" name=\"q\">$who$<input type=text name=abc>";
    t.SetTemplateText(text.data(), false);
    testing::internal::CaptureStdout();
    EXPECT_EQ(t.Render(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "<INPUT TYPE=\"text\" NAME=\"q\"><B><INPUT TYPE=text NAME=abc>");
    EXPECT_EQ(t.OutputText(), nullptr);
}

TEST(TemplateForm, UppercaseTagsKeepsValuesAndMultibyteText) {
    NUTemplateToOutput t;
    char text[] = "<input type=text name=abc>x<a href=\"q\" id=z>\xE3\x81\x82<p class=\"c d\" e>";
    t.UppercaseTags(text);
    EXPECT_STREQ(text,
                 "<INPUT TYPE=text NAME=abc>x<A HREF=\"q\" ID=z>\xE3\x81\x82<P CLASS=\"c d\" E>");
    char broken[] = "\xE3<input type=text>";
    t.UppercaseTags(broken);
    EXPECT_STREQ(broken, "\xE3<INPUT TYPE=text>");
}

TEST(TemplateAttr, FindAttrAndAttrVariable) {
    NUTemplateToOutput t;
    const char* first = nullptr;
    const char* last = nullptr;
    const char* tag = "<input name=\"q\" size=3> value=x";
    ASSERT_EQ(t.FindAttr(tag, "name", &first, &last), 1);
    EXPECT_EQ(std::string(first, last + 1), "\"q\"");
    ASSERT_EQ(t.FindAttr(tag, "size", &first, &last), 1);
    EXPECT_EQ(std::string(first, last + 1), "3");
    EXPECT_EQ(t.FindAttr(tag, "value", &first, &last), 0);  // after the '>'
    EXPECT_EQ(t.FindAttr(nullptr, "x", &first, &last), -50);
    t.SetVar("q", "found", 0);
    const char* value = nullptr;
    EXPECT_EQ(t.AttrVariable(tag, "name", &value), 0);
    EXPECT_STREQ(value, "found");
}

TEST(TemplateSection, MarkersSelectTheLinesBetween) {
    std::string text = "head\n[begin] x\none\ntwo\n[end]\ntail\n";
    NUTemplateToOutput t;
    t.SetStartMarker("[begin]");
    t.SetEndMarker("[end]");
    EXPECT_EQ(RenderText(t, text), "one\ntwo\n");

    NUTemplateToOutput noEnd;
    noEnd.SetStartMarker("[begin]");
    noEnd.SetEndMarker("[stop]");
    int ret = 0;
    RenderText(noEnd, text, &ret);
    EXPECT_EQ(ret, -57);
    EXPECT_EQ(noEnd.OutputText(), nullptr);

    NUTemplateToOutput noStart;
    noStart.SetStartMarker("[none]");
    RenderText(noStart, text, &ret);
    EXPECT_EQ(ret, -56);

    // A start marker on the last line is not a start.
    std::string lastLine = "a\n[begin]";
    NUTemplateToOutput atEnd;
    atEnd.SetStartMarker("[begin]");
    RenderText(atEnd, lastLine, &ret);
    EXPECT_EQ(ret, -56);
}

TEST(TemplateSection, LineNumbers) {
    std::string text = "1\n2\n3\n4\n";
    NUTemplateToOutput t;
    t.SetStartLine(2);
    t.SetLastLine(3);
    EXPECT_EQ(RenderText(t, text), "2\n3\n");
    NUTemplateToOutput beyond;
    beyond.SetStartLine(9);
    EXPECT_EQ(RenderText(beyond, text), text);
    NUTemplateToOutput inverted;
    inverted.SetStartLine(3);
    inverted.SetLastLine(1);
    int ret = 1;
    EXPECT_EQ(RenderText(inverted, text, &ret), "1\n");
    EXPECT_EQ(ret, 0);
}

TEST(TemplateRender, BufferModeAccumulates) {
    NUTemplateToOutput t;
    t.SetVar("n", "1", 0);
    std::string text = "a$n$;";
    RenderText(t, text);
    EXPECT_EQ(RenderText(t, text), "a1;a1;");
}

TEST(TemplateRender, FileTemplatesAndTheirErrors) {
    TempDir dir;
    NUTemplateToOutput t;
    EXPECT_EQ(t.Render(), -52);
    t.SetTemplateFile(dir.file("missing.html").c_str(), true);
    EXPECT_EQ(t.Render(), -53);
    ASSERT_TRUE(WriteWholeFile(dir.file("page.html"), "x=$x$\n"));
    t.SetTemplateFile(dir.file("page.html").c_str(), true);
    t.SetVar("x", "7", 0);
    EXPECT_EQ(t.Render(), 0);
    EXPECT_STREQ(t.OutputText(), "x=7\n");
    char* out = nullptr;
    EXPECT_EQ(t.ReadTemplateFile("", &out), -50);
    EXPECT_EQ(t.ReadTemplateFile(dir.file("page.html").c_str(), &out), 6);
    EXPECT_STREQ(out, "x=$x$\n");
    free(out);
    // An empty template yields nothing and succeeds.
    ASSERT_TRUE(WriteWholeFile(dir.file("empty.html"), ""));
    NUTemplateToOutput empty;
    empty.SetTemplateFile(dir.file("empty.html").c_str(), true);
    EXPECT_EQ(empty.Render(), 0);
    EXPECT_EQ(empty.OutputText(), nullptr);
}

TEST(TemplateRender, MegabyteLineWithManyVariablesAndTags) {
    std::string text;
    text.reserve((1 << 20) + 16);
    while (text.size() < (1u << 20)) text += "$v$<b>";
    size_t units = text.size() / 6;
    text += "$ <i";  // an unclosed variable and an unclosed tag at the end
    NUTemplateToOutput t;
    t.SetVar("v", "ab", 0);
    int ret = -1;
    std::string out = RenderText(t, text, &ret);
    EXPECT_EQ(ret, 0);
    EXPECT_EQ(out.size(), units * 5 + 4);
    EXPECT_EQ(out.substr(0, 10), "ab<b>ab<b>");
    EXPECT_EQ(out.substr(out.size() - 4), "$ <i");
}

TEST(TemplateVars, RemoveVarDateVarAndReset) {
    NUTemplateToOutput t;
    t.SetVar("a", "1", 0);
    t.SetVar("a", "2", 0);
    EXPECT_EQ(t.RemoveVar("a"), 2);
    EXPECT_EQ(t.SetDateVar("d", "20261206"), 0);
    EXPECT_EQ(t.SetDateVar("e", "2026-12"), 0);
    std::string text = "$a$ $d$ $e$";
    EXPECT_EQ(RenderText(t, text), "$a$ 2026-12-06 2026-12");
    // ResetTemplate drops the variables and the settings.
    NUTemplateToOutput reset;
    reset.SetVar("a", "1", 0);
    reset.SetStartMarker("[x]");
    reset.ResetTemplate(4);
    text = "$a$";
    EXPECT_EQ(RenderText(reset, text), "$a$");
}

TEST(TemplateRender, OneObjectRendersAPageOncePerRow) {
    // A page of 40 rows with a form control each, rendered once per data row
    // by one object in buffer mode: every render adds its whole page. Cells
    // of several widths, each width on an object of its own.
    std::string page;
    for (int line = 1; line <= 40; ++line) {
        page += "<tr><td>$c" + std::to_string(line) +
                "$</td><td><input type=\"text\" name=\"v\"></td></tr>\n";
    }
    const int rows = 200;
    for (size_t width = 1; width <= 8; ++width) {
        SCOPED_TRACE("cell width " + std::to_string(width));
        NUTemplateToOutput t;
        t.SetTemplateText(page.data(), true);
        std::vector<size_t> ends;
        ends.reserve(rows);
        for (int row = 0; row < rows; ++row) {
            t.RemoveVar(nullptr);
            t.SetVar("v", std::to_string(row).c_str(), 0);
            for (int line = 1; line <= 40; ++line) {
                std::string cell(width, static_cast<char>('a' + line % 26));
                t.SetVar(("c" + std::to_string(line)).c_str(), cell.c_str(), 0);
            }
            ASSERT_EQ(t.Render(), 0);
            ends.push_back(strlen(t.OutputText()));
        }
        size_t start = 0;
        for (int row = 0; row < rows; ++row) {
            std::string want;
            for (int line = 1; line <= 40; ++line) {
                want += "<tr><td>" + std::string(width, static_cast<char>('a' + line % 26)) +
                        "</td><td><input value=\"" + std::to_string(row) +
                        "\"  type=\"text\" name=\"v\"></td></tr>\n";
            }
            EXPECT_EQ(std::string_view(t.OutputText() + start, ends[row] - start), want)
                << "row " << row;
            start = ends[row];
        }
    }
}

TEST(TemplateBuffers, AppendTextFollowsTheCallersCurrentText) {
    NUTemplateToOutput t;
    int capacity = 16;
    char* buf = static_cast<char*>(calloc(16, 1));
    ASSERT_EQ(t.AppendText(&buf, &capacity, "abcdef", 6), 0);
    buf[3] = '\0';  // the caller shortens its text
    ASSERT_EQ(t.AppendText(&buf, &capacity, "xyz", 2), 0);
    EXPECT_STREQ(buf, "abcxy");
    // Text that fills the buffer exactly leaves no room for its terminator: it grows.
    ASSERT_EQ(t.AppendText(&buf, &capacity, "0123456789a", 11), 0);
    EXPECT_STREQ(buf, "abcxy0123456789a");
    EXPECT_GT(capacity, 16);
    free(buf);
}
