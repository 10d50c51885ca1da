// Message catalogs: loading files once, lookups, numbered messages, the
// default-language helpers, localized dates and message templates.
#include "env/catalog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "cs3base/field_value.h"
#include "support/app_home.h"
#include "support/temp_dir.h"

namespace {

// An installation home with catalogs and an environment reading it.
class CatalogTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(home.path() + "/data");
        CreateAppEnvironment();
        ASSERT_EQ(ReadConfiguration(home.path().c_str()), 0);
    }
    void TearDown() override { ReleaseEnvironment(); }

    void Catalog(const std::string& lang, const std::string& name, const std::string& text) {
        ASSERT_TRUE(WriteHomeFile(home, "local/" + lang + "/" + name, text));
    }

    TempDir home;
};

}  // namespace

TEST_F(CatalogTest, EachFileIsReadOnceAndTheFirstKeyWins) {
    Catalog("en_US", "com", "greet=Hello\nshared=from com\n");
    Catalog("en_US", "com_locale", "shared=from locale\nlocale=yes\n");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    EXPECT_EQ(LoadCatalogFile("com"), 0);
    EXPECT_EQ(LoadCatalogFile("com_locale"), 0);
    EXPECT_STREQ(LookupText("greet"), "Hello");
    EXPECT_STREQ(LookupText("shared"), "from com");
    EXPECT_STREQ(LookupText("locale"), "yes");
    EXPECT_EQ(LookupText("absent"), nullptr);
    // A second load does not read the changed file again.
    Catalog("en_US", "com", "greet=Changed\n");
    EXPECT_EQ(LoadCatalogFile("com"), 0);
    EXPECT_STREQ(LookupText("greet"), "Hello");
}

// The catalog remembers the name it met last so that repeated loads do not
// scan its list of loaded files: every name loaded after every other, and
// again, reads each file exactly once, as a plain set of the names says.
TEST_F(CatalogTest, EveryOrderOfLoadsReadsEachFileOnce) {
    const std::string names[] = {"message", "messag", "message2", "m", "com",
                                 std::string(31, 'x'), std::string(32, 'x'), std::string(40, 'x')};
    for (const std::string& name : names) Catalog("en_US", name, "from_" + name + "=1\n");
    for (const std::string& first : names) {
        for (const std::string& second : names) {
            SCOPED_TRACE(first + " then " + second);
            CMSioObjLocalize catalog("en_US");
            std::set<std::string> reference;
            for (const std::string* name : {&first, &second, &first, &second, &first}) {
                ASSERT_EQ(catalog.LoadOnce(name->c_str()), 0);
                reference.insert(*name);
                ASSERT_EQ(catalog.Count(), static_cast<int>(reference.size()));
                ASSERT_EQ(catalog.LoadedFiles().Count(), static_cast<int>(reference.size()));
            }
        }
    }
}

TEST_F(CatalogTest, MissingFileCountsAsLoadedAndIsNotTriedAgain) {
    ASSERT_EQ(SetLanguage("en_US"), 0);
    EXPECT_EQ(LoadCatalogFile("com"), 0);
    EXPECT_EQ(LookupText("greet"), nullptr);
    Catalog("en_US", "com", "greet=Hello\n");
    EXPECT_EQ(LoadCatalogFile("com"), 0);
    EXPECT_EQ(LookupText("greet"), nullptr);
}

TEST_F(CatalogTest, UnreadableFileGivesMinus30000) {
    std::filesystem::create_directories(home.path() + "/local/en_US/com");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    EXPECT_EQ(LoadCatalogFile("com"), -30000);
}

TEST_F(CatalogTest, BinaryBytesAndContinuationLines) {
    std::string text = "a=1\n\xff\xfe=junk\x01\nb=two\n\tlines\nc=\xE6\x97\xA5\n";
    text += std::string("z=\0zero\n", 9);
    Catalog("en_US", "com", text);
    ASSERT_EQ(SetLanguage("en_US"), 0);
    EXPECT_EQ(LoadCatalogFile("com"), 0);
    EXPECT_STREQ(LookupText("a"), "1");
    EXPECT_STREQ(LookupText("\xff\xfe"), "junk\x01");
    EXPECT_STREQ(LookupText("b"), "two\nlines");
    EXPECT_STREQ(LookupText("c"), "\xE6\x97\xA5");
    ASSERT_NE(LookupText("z"), nullptr);
    EXPECT_STREQ(LookupText("z"), "");
}

TEST_F(CatalogTest, NumberedMessagesWithKinds) {
    // A number's key is written as "%d": "09" is no key of 9; the first "5" wins.
    Catalog("en_US", "message", "5=W:Busy\n6=OK\n7=A:\n8=E:\n5=E:Later\n09=I:Padded\n");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    struct Row {
        int number;
        const char* text;
        char kind;
    } rows[] = {{5, "Busy", 'W'}, {6, "OK", '\0'}, {7, "A:", '\0'}, {8, "E:", '\0'},
                // An unknown number reads as itself.
                {77, "77", '\0'}, {-77, "-77", '\0'}, {9, "9", '\0'}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        char kind = 'x';
        EXPECT_STREQ(MessageByNumber(row.number, &kind), row.text);
        EXPECT_EQ(kind, row.kind);
    }
    EXPECT_STREQ(MessageByNumber(5, nullptr), "Busy");
    // ... and does so from then on, as its own message.
    const char* text = nullptr;
    EXPECT_EQ(AppEnvironment()->MessageByKey("77", &text, nullptr), 0);
    EXPECT_STREQ(text, "77");
    EXPECT_EQ(MessageByNumber(77, nullptr), text);
}

TEST_F(CatalogTest, HundredThousandMessages) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += std::to_string(i) + "=I:text " + std::to_string(i) + "\n";
    Catalog("en_US", "message", text);
    ASSERT_EQ(SetLanguage("en_US"), 0);
    // Every one is found: none is lost while the catalog's index grows.
    int wrong = 0;
    for (int i = 0; i < 100000; ++i) {
        char kind = 0;
        const char* text = MessageByNumber(i, &kind);
        if (!text || text != "text " + std::to_string(i) || kind != 'I') ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(CatalogTest, MessageByKeyResults) {
    Catalog("en_US", "message", "k=v\n");
    Catalog("en_US", "other", "o=w\n");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    CMSioObjApp* env = AppEnvironment();
    const char* text = nullptr;
    EXPECT_EQ(env->MessageByKey(nullptr, &text, nullptr), -99);
    EXPECT_EQ(env->MessageByKey("k", nullptr, nullptr), -99);
    EXPECT_EQ(env->MessageByKey("k", &text, nullptr), 0);
    EXPECT_STREQ(text, "v");
    EXPECT_EQ(env->MessageByKey("o", &text, nullptr), -20);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(env->MessageByKey("o", &text, "other"), 0);
    EXPECT_STREQ(text, "w");
}

TEST_F(CatalogTest, LanguagesAreKeptAndSwitched) {
    Catalog("en_US", "com", "greet=Hello\n");
    Catalog("ja_JP", "com", "greet=Konnichiwa\n");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    LoadCatalogFile("com");
    Zi18nLang* english = AppEnvironment()->CurrentLanguage();
    ASSERT_EQ(SetLanguage("ja_JP"), 0);
    EXPECT_EQ(LookupText("greet"), nullptr);  // "com" of ja_JP not loaded yet
    LoadCatalogFile("com");
    EXPECT_STREQ(LookupText("greet"), "Konnichiwa");
    EXPECT_TRUE(IsDefaultLanguage());
    EXPECT_STREQ(LabelSeparator(), "\xEF\xBC\x9A");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    EXPECT_EQ(AppEnvironment()->CurrentLanguage(), english);
    EXPECT_STREQ(LookupText("greet"), "Hello");
    EXPECT_FALSE(IsDefaultLanguage());
    EXPECT_STREQ(CurrentLanguageCode(), "en_US");
    EXPECT_STREQ(LabelSeparator(), ": ");
    ASSERT_EQ(SetLanguage("JA_jp"), 0);
    EXPECT_TRUE(IsDefaultLanguage());
}

TEST_F(CatalogTest, LocalizedDateWithWeekdayNames) {
    Catalog("de_DE", "com", "comweeksun=So\ncomweeksunday=Sonntag\ncomweekmon=Mo\n");
    ASSERT_EQ(SetLanguage("de_DE"), 0);
    LoadCatalogFile("com");
    char out[64];
    // 2026-12-06 is a Sunday.
    EXPECT_EQ(LocalizedDateText("20261206153000", out, sizeof out, "%a %Y"), 0);
    EXPECT_STREQ(out, "So 2026");
    EXPECT_EQ(LocalizedDateText("20261206153000", out, sizeof out, "%A, %d.%m. %H:%M"), 0);
    EXPECT_STREQ(out, "Sonntag, 06.12. 15:30");
    // Monday of the next day; a date without a time reads as midnight.
    EXPECT_EQ(LocalizedDateText("20261207", out, sizeof out, "%a %H:%M"), 0);
    EXPECT_STREQ(out, "Mo 00:00");
    // No localized Tuesday: the English name stays.
    EXPECT_EQ(LocalizedDateText("20261208000000", out, sizeof out, "%a"), 0);
    EXPECT_STREQ(out, "Tue");
    // Too small a buffer for the longer name keeps the English one.
    char small[9];
    EXPECT_EQ(LocalizedDateText("20261206000000", small, sizeof small, "%A"), 0);
    EXPECT_STREQ(small, "Sunday");
}

TEST_F(CatalogTest, LocalizedDateFallbacks) {
    ASSERT_EQ(SetLanguage("en_US"), 0);
    char out[16];
    EXPECT_EQ(LocalizedDateText("20261306000000", out, sizeof out, "%Y"), -70013);
    EXPECT_STREQ(out, "20261306000000");
    EXPECT_EQ(LocalizedDateText("18991231000000", out, sizeof out, "%Y"), -70013);
    EXPECT_EQ(LocalizedDateText("2026120625", out, sizeof out, "%Y"), -70013);
    EXPECT_EQ(LocalizedDateText("", out, sizeof out, "%Y"), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(LocalizedDateText("20261206000000", out, sizeof out, nullptr), 0);
    EXPECT_STREQ(out, "20261206000000");
    char tiny[5];
    EXPECT_EQ(LocalizedDateText("20261306000000", tiny, sizeof tiny, "%Y"), -70013);
    EXPECT_STREQ(tiny, "2026");
}

TEST_F(CatalogTest, FillMessageTemplate) {
    const char* names[] = {"limit", "", "who"};
    const char* values[] = {"20", "ignored", nullptr};
    char out[64];
    EXPECT_EQ(FillMessageTemplate(values, names, 3, "Up to $limit$ characters, $who$$x$ $", out,
                                  sizeof out),
              0);
    EXPECT_STREQ(out, "Up to 20 characters, $x$ $");
    EXPECT_EQ(FillMessageTemplate(values, names, 1, "$LLword$ <b>$limit$</b>", out, sizeof out), 0);
    EXPECT_STREQ(out, "word <b>20</b>");
    char small[8];
    EXPECT_EQ(FillMessageTemplate(values, names, 1, "Up to $limit$", small, sizeof small), 0);
    EXPECT_STREQ(small, "Up to 2");
    EXPECT_EQ(FillMessageTemplate(values, names, 1, nullptr, out, sizeof out), -99);
    EXPECT_EQ(FillMessageTemplate(values, names, 1, "x", nullptr, 4), -99);
    EXPECT_EQ(FillMessageTemplate(values, names, 1, "x", out, 0), -99);
    EXPECT_EQ(FillMessageTemplate(nullptr, nullptr, 0, "", out, sizeof out), 0);
    EXPECT_STREQ(out, "");
}

TEST_F(CatalogTest, DefaultLanguageFile) {
    NUString lang;
    EXPECT_EQ(ReadDefaultLanguage(&lang), -1);
    WriteWholeFile(home.path() + "/data/deflang", "lang=en_US\nother=x\n");
    EXPECT_EQ(ReadDefaultLanguage(&lang), 0);
    EXPECT_STREQ(lang.Get(), "en_US");
    WriteWholeFile(home.path() + "/data/deflang", "lang=\n");
    EXPECT_EQ(ReadDefaultLanguage(&lang), -1);
}

TEST_F(CatalogTest, LengthMessagesComeFromTheCatalog) {
    Catalog("en_US", "com", "comzlength=Up to $limit$ characters.\n"
                            "comzlengthbyte=Up to $limit$ bytes.\n");
    ASSERT_EQ(SetLanguage("en_US"), 0);
    ASSERT_EQ(LoadCatalogFile("com"), 0);
    CS3ShortStr value;
    EXPECT_EQ(value.Set(std::string(64, 'a').c_str()), -62);
    EXPECT_STREQ(AppEnvironment()->UserMessage().Get(), "Up to 63 characters.");
    CS3String bytes(5);
    EXPECT_EQ(bytes.Set("123456"), -62);
    EXPECT_STREQ(AppEnvironment()->UserMessage().Get(), "Up to 4 bytes.");
}

TEST(CatalogWithoutEnvironment, OperationsFailSoftly) {
    EXPECT_EQ(SetLanguage("en_US"), -99);
    EXPECT_EQ(LoadCatalogFile("com"), -99);
    EXPECT_EQ(LookupText("x"), nullptr);
    char kind = 'x';
    EXPECT_EQ(MessageByNumber(5, &kind), nullptr);
    EXPECT_EQ(kind, '\0');
    EXPECT_STREQ(CurrentLanguageCode(), "ja_JP");
    EXPECT_STREQ(LabelSeparator(), "");
    EXPECT_EQ(LoadOfficeSettings(), -99);
    char out[16];
    EXPECT_EQ(LocalizedDateText("20261206000000", out, sizeof out, "%Y"), 0);
    EXPECT_STREQ(out, "20261206000000");
}
