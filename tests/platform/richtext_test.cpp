// The rich-text reader: its text compared with what unrtf reads from a
// hand-written file, and a table of the constructs it keeps and skips.
#include "platform/RichText.h"
#include "platform/SysUtils.h"

#include "support/case_names.h"
#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QTextEdit>

#include <string>

namespace lumvor {
namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/text/" + name; }

// The text of unrtf's HTML output: its line breaks kept, its markup and
// entities resolved by Qt's HTML reader.
std::string UnrtfText(const std::string& file) {
    QProcess tool;
    tool.start("unrtf", {"--html", QString::fromStdString(file)});
    tool.waitForFinished(20000);
    QString html = QString::fromUtf8(tool.readAllStandardOutput());
    html.replace("<br>\n", "@@BR@@").replace("<br>", "@@BR@@");
    QString text = QTextDocumentFragment::fromHtml(html).toPlainText();
    text.replace("@@BR@@", "\n");
    return text.trimmed().toStdString();
}

std::string Trimmed(const std::string& text) { return QString::fromStdString(text).trimmed().toStdString(); }

TEST(RichText, ReadsWhatUnrtfReads) {
    const std::string bytes = test::ReadFileText(Fixture("letter.rtf"));
    const TRichText text = ReadRtf(bytes);
    const std::string unrtf = UnrtfText(Fixture("letter.rtf"));
    ASSERT_FALSE(unrtf.empty()) << "unrtf gave nothing";
    EXPECT_EQ(Trimmed(text.PlainText()), unrtf);
    EXPECT_EQ(Trimmed(text.PlainText()), "Caf\u00e9 prices: 3\u20ac a cup.\nBold run after it, in plain words.");
    // The bold run is the only bold text.
    std::string bold;
    for (const TRichRun& run : text.Runs)
        if (run.Bold)
            bold += run.Text;
    EXPECT_EQ(bold, "Bold run");
}

struct RtfCase {
    const char* name;
    const char* rtf;
    const char* text;
};

class RtfConstructs : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfConstructs, GiveTheirText) { EXPECT_EQ(ReadRtf(GetParam().rtf).PlainText(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    RichText, RtfConstructs,
    ::testing::Values(
        RtfCase{"TabsAndLineBreaks", R"({\rtf1 one\tab two\line three\par})", "one\ttwo\nthree\n"},
        RtfCase{"EscapedCharacters", R"({\rtf1 \{braces\} and \\ back})", "{braces} and \\ back"},
        RtfCase{"HexCharactersAreWindows1252", R"({\rtf1 \'93quoted\'94 \'80})", "\u201cquoted\u201d \u20ac"},
        RtfCase{"UnicodeSkipsItsFallback", R"({\rtf1 a\u8364?b})", "a\u20acb"},
        RtfCase{"UnicodeSkipCountOfTwo", R"({\rtf1\uc2 a\u8364\'80\'80b})", "a\u20acb"},
        RtfCase{"UnicodeSkipCountOfZero", R"({\rtf1\uc0 a\u8364 b})", "a\u20acb"},
        RtfCase{"NegativeUnicode", R"({\rtf1 \u-3913?})", "\uf0b7"},
        RtfCase{"SurrogatePair", R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
        RtfCase{"StarDestinationsAreSkipped", R"({\rtf1 a{\*\generator Writer;}b{\*\unknown x{y}}c})", "abc"},
        RtfCase{"TablesAreSkipped",
                R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;}{\stylesheet{\s0 Normal;}}{\info{\title T}}text})",
                "text"},
        RtfCase{"PicturesAreSkipped", R"({\rtf1 a{\pict\pngblip 89504e47}b})", "ab"},
        RtfCase{"FieldResultIsKept",
                R"({\rtf1 see {\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt the site}}.})", "see the site."},
        RtfCase{"BinaryDataIsSkipped", "{\\rtf1 a\\bin3 }{}b}", "ab"},
        RtfCase{"TypographicSymbols", R"({\rtf1 \ldblquote a\rdblquote \emdash \bullet})", "\u201ca\u201d\u2014\u2022"},
        RtfCase{"SourceLineEndsAreNotText", "{\\rtf1 a\r\nb}", "ab"},
        RtfCase{"UnbalancedBracesEndTheText", R"({\rtf1 a}b})", "a"},
        RtfCase{"UnfinishedFileKeepsItsText", R"({\rtf1 a{\b b)", "ab"},
        RtfCase{"PlainTextIsTakenAsItIs", "no rich text {\\b}", "no rich text {\\b}"},
        RtfCase{"PlainWindows1252Text", "caf\xe9", "caf\u00e9"}),
    test::CaseNames<&RtfCase::name>);

TEST(RichText, KeepsBoldItalicAndUnderline) {
    const TRichText text = ReadRtf(R"({\rtf1 n{\b b{\i bi}}\ul u\ulnone\i i\plain p})");
    const std::vector<TRichRun> expected = {
        {"n", false, false, false}, {"b", true, false, false}, {"bi", true, true, false},
        {"u", false, false, true},  {"i", false, true, false}, {"p", false, false, false}};
    EXPECT_EQ(text.Runs, expected);
}

struct TextFileCase {
    const char* name;
    const char* file;
    const char* text;
};

class TextControl : public ::testing::TestWithParam<TextFileCase> {};

TEST_P(TextControl, ShowsTheFilesText) {
    QTextEdit control;
    LoadTextControl(control, Fixture(GetParam().file));
    EXPECT_EQ(control.toPlainText().trimmed().toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    RichText, TextControl,
    ::testing::Values(TextFileCase{"Utf8", "note.txt", "Gr\u00fc\u00dfe aus K\u00f6ln\nSecond line of the note."},
                      TextFileCase{"Windows1252", "legacy.txt", "Caf\u00e9 \u20ac 5"},
                      TextFileCase{"RichText", "letter.rtf",
                                   "Caf\u00e9 prices: 3\u20ac a cup.\nBold run after it, in plain words."}),
    test::CaseNames<&TextFileCase::name>);

TEST(RichText, RichTextKeepsItsBoldRunInTheControl) {
    QTextEdit control;
    LoadTextControl(control, Fixture("letter.rtf"));
    const QTextBlock second = control.document()->findBlockByNumber(1);
    ASSERT_TRUE(second.isValid());
    const QTextFragment first = second.begin().fragment();
    EXPECT_EQ(first.text().toStdString(), "Bold run");
    EXPECT_EQ(first.charFormat().fontWeight(), QFont::Bold);
}

TEST(RichText, UnreadableFileRaises) {
    QTextEdit control;
    EXPECT_THROW(LoadTextControl(control, Fixture("missing.txt")), Exception);
}

}  // namespace
}  // namespace lumvor
