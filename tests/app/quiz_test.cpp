// The multiple-choice quiz page: counting questions, the radio buttons, the
// script strings, grading run in headless Chromium, the page checked by
// xmllint, and the Tools command with its dialog, messages and opener.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>

#include "app/QuizPage.h"
#include "app/lumv8900.h"
#include "imaging/Helpers.h"
#include "platform/Classes.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "ui/MeOpenDialogEx.h"

#include "app_test_tools.h"

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

TStringList LinesOf(const std::vector<std::string>& lines) {
    TStringList list;
    for (const std::string& line : lines)
        list.Add(line);
    return list;
}

std::string PageText(const TQuizPage& page) {
    std::string text;
    for (const std::string& line : page.Lines)
        text += line + "\r\n";
    return text;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One block of eight lines.
std::vector<std::string> Block(const std::string& question, const std::vector<std::string>& choices,
                               const std::string& answer, const std::string& feedback) {
    std::vector<std::string> lines{question};
    lines.insert(lines.end(), choices.begin(), choices.end());
    lines.push_back(answer);
    lines.push_back(feedback);
    return lines;
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> blocks) {
    std::vector<std::string> lines;
    for (const auto& block : blocks)
        lines.insert(lines.end(), block.begin(), block.end());
    return lines;
}

const std::vector<std::string> kColours{"Red colour", "Green colour", "Blue colour", "Cyan colour", "Pink colour"};

// ---- Counting and the form

struct CountCase {
    int lines;
    int questions;
};

class QuizQuestionCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(QuizQuestionCountTest, IsLinesPlusOneDividedByEight) {
    EXPECT_EQ(QuizQuestionCount(GetParam().lines), GetParam().questions);
}

INSTANTIATE_TEST_SUITE_P(Lines, QuizQuestionCountTest,
                         ::testing::Values(CountCase{15, 2}, CountCase{14, 1}, CountCase{16, 2}, CountCase{7, 1},
                                           CountCase{6, 0}, CountCase{0, 0}),
                         [](const ::testing::TestParamInfo<CountCase>& info) {
                             return "Lines" + std::to_string(info.param.lines);
                         });

TEST(QuizPage, HeadFormAndRadioButtons) {
    const TStringList input = LinesOf(Block("Which is warm?", {"Ice cube", "ok", "Sunshine", "Snow flake", "Frost"},
                                            "B", "Think of summer."));
    const TQuizPage page = BuildQuizPage(input);
    EXPECT_EQ(page.Questions, 1);
    const std::string html = PageText(page);
    EXPECT_EQ(page.Lines.front(),
              "<html><head><meta charset=\"utf-8\"><title>Vo_WBT Multiple Choice Quiz</title></head>");
    EXPECT_EQ(page.Lines[1], "<body bgcolor=\"#FFFFFF\" text=\"#000000\">");
    EXPECT_EQ(page.Lines[2], "<form method=\"get\" onsubmit=\"grader()\">");
    EXPECT_TRUE(Contains(html, "<hr>\r\n<li><h4>Which is warm?</h4>\r\n<p>\r\n"
                               "<input type=\"radio\" name=\"R0\" value=\"V1\">Ice cube<br>\r\n"
                               "<input type=\"radio\" name=\"R0\" value=\"V3\">Sunshine<br>\r\n"));
    // "ok" makes no radio button: four in all, and the grader counts four.
    EXPECT_FALSE(Contains(html, "value=\"V2\""));
    EXPECT_TRUE(Contains(html, "var options = new Array(4);"));
    EXPECT_TRUE(Contains(html, "<input type=\"submit\" value=\"Grade Test\">"));
    EXPECT_EQ(page.Lines.back(), "</body></html>");
    // "B" names the second line, which is no choice: reported, the first is graded.
    EXPECT_EQ(page.InvalidAnswers, std::vector<int>{1});
}

TEST(QuizPage, ShortLastBlockIsReportedAndWritten) {
    std::vector<std::string> lines = Joined({Block("One?", kColours, "a", "Fine."), Block("Two?", kColours, "c", "")});
    lines.pop_back();  // 15 lines: the second question has no feedback line
    const TQuizPage page = BuildQuizPage(LinesOf(lines));
    EXPECT_EQ(page.Questions, 2);
    EXPECT_EQ(page.InvalidAnswers, std::vector<int>{2});
    EXPECT_TRUE(Contains(PageText(page), "name=\"R1\" value=\"V13\">Pink colour<br>"));
    EXPECT_EQ(page.Lines.back(), "</body></html>");
}

struct EscapeCase {
    const char* name;
    std::string text;
    std::string escaped;
};

class ScriptStringTextTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(ScriptStringTextTest, Escapes) { EXPECT_EQ(ScriptStringText(GetParam().text), GetParam().escaped); }

INSTANTIATE_TEST_SUITE_P(
    Texts, ScriptStringTextTest,
    ::testing::Values(EscapeCase{"Plain", "a/b <i>x</i>", "a/b <i>x<\\/i>"},
                      EscapeCase{"Quotes", "it's \"so\"", "it\\'s \\\"so\\\""},
                      EscapeCase{"Backslash", "C:\\dir\\", "C:\\\\dir\\\\"},
                      EscapeCase{"LineBreaks", "a\r\nb", "a\\r\\nb"},
                      EscapeCase{"ScriptEnd", "</script><!--", "<\\/script><\\!--"},
                      EscapeCase{"LineSeparator", "a\xE2\x80\xA8" "b\xE2\x80\xA9", "a\\u2028b\\u2029"},
                      EscapeCase{"OtherUtf8", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"}),
    test::CaseNames<&EscapeCase::name>);

// ---- Grading in a browser

// Text as dump-dom writes it, back to plain text.
std::string Unescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&nbsp;", "\xC2\xA0"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities)
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string(entity).size(), plain);
    return text;
}

// Runs grader() on the page in headless Chromium with the radio buttons of
// the given values ticked ("R0=V1"), and answers what it wrote into its window.
std::string GradeInBrowser(const TQuizPage& page, const std::vector<std::string>& ticks, const std::string& name) {
    std::string script =
        "<pre id=\"graded\"></pre>\n<script>\n"
        "var written = [];\n"
        "window.open = function() { return { document: { write: function(s) { written.push(s); }, "
        "close: function() {} } }; };\n";
    for (const std::string& tick : ticks) {
        const size_t eq = tick.find('=');
        script += "document.querySelector('input[name=\"" + tick.substr(0, eq) + "\"][value=\"" + tick.substr(eq + 1) +
                  "\"]').checked = true;\n";
    }
    script += "grader();\ndocument.getElementById(\"graded\").textContent = written.join(\"\\n\");\n</script>\n";
    std::string html = PageText(page);
    const size_t end = html.rfind("</body></html>");
    html.insert(end, script);
    const std::string file = ProgramFolder() + name + ".html";
    test::WriteFileText(file, html);
    const std::string dom = test::CommandOutput(
        "timeout 90 chromium --headless --no-sandbox --disable-gpu --user-data-dir='" + ProgramFolder() +
        "chromium-" + name + "' --dump-dom 'file://" + file + "' 2>/dev/null");
    const size_t open = dom.find("<pre id=\"graded\">");
    const size_t close = dom.find("</pre>", open);
    if (open == std::string::npos || close == std::string::npos)
        return "no result: " + dom;
    const size_t from = open + std::string("<pre id=\"graded\">").size();
    return Unescaped(dom.substr(from, close - from));
}

// The verdicts in the order they were written.
std::vector<std::string> Verdicts(const std::string& written) {
    std::vector<std::string> verdicts;
    for (size_t at = 0; (at = written.find("\">", at)) != std::string::npos; ++at) {
        for (const char* verdict : {"Correct!", "Incorrect."})
            if (written.compare(at + 2, std::string(verdict).size(), verdict) == 0)
                verdicts.push_back(verdict);
    }
    return verdicts;
}

TEST(QuizGrading, RightWrongRightScoresTwoOfThree) {
    const TQuizPage page = BuildQuizPage(LinesOf(Joined({Block("Sky?", kColours, "c", "The sky is blue."),
                                                        Block("Grass?", kColours, "B", "Grass is green."),
                                                        Block("Blood?", kColours, "x", "Blood is red.")})));
    // Lines: question 0 at 0 (choices 1-5), question 1 at 8 (9-13), question 2 at 16 (17-21).
    const std::string written = GradeInBrowser(page, {"R0=V3", "R1=V9", "R2=V17"}, "right-wrong-right");
    EXPECT_EQ(Verdicts(written), (std::vector<std::string>{"Correct!", "Incorrect.", "Correct!"})) << written;
    EXPECT_TRUE(Contains(written, "SUMMARY: 2 of 3 are correct. ")) << written;
    EXPECT_TRUE(Contains(written, "66.67% ")) << written;
    EXPECT_TRUE(Contains(written, "<font color=\"#008800\">Correct!</font>"));
    EXPECT_TRUE(Contains(written, "<font color=\"#880000\">Incorrect.</font>"));
    EXPECT_TRUE(Contains(written, "Grass is green."));
    // The results show the ticked buttons again.
    EXPECT_TRUE(Contains(written, "<input type=\"radio\" name=\"r1\" value=\"v9\" checked>Red colour<br>"));
    EXPECT_TRUE(Contains(written, "<input type=\"radio\" name=\"r1\" value=\"v10\">Green colour<br>"));
    EXPECT_TRUE(Contains(written, "Test Results"));
}

TEST(QuizGrading, HostileTextsStillGradeAndEchoUnchanged) {
    const std::string question = "It's \"odd\" \\ isn't it? </script>";
    const std::string choice = "A 'quoted' \"choice\" </script>";
    const std::string feedback = "Back\\slash and </p> and <!-- too";
    const TQuizPage page =
        BuildQuizPage(LinesOf(Block(question, {choice, "Second", "Third", "Fourth", "Fifth"}, "a", feedback)));
    const std::string written = GradeInBrowser(page, {"R0=V1"}, "hostile");
    EXPECT_EQ(Verdicts(written), std::vector<std::string>{"Correct!"}) << written;
    EXPECT_TRUE(Contains(written, "<li><h4>" + question + "</h4>")) << written;
    EXPECT_TRUE(Contains(written, "checked>" + choice + "<br>")) << written;
    EXPECT_TRUE(Contains(written, feedback)) << written;
    EXPECT_TRUE(Contains(written, "SUMMARY: 1 of 1 are correct. "));
}

TEST(QuizGrading, SkippedChoiceShiftsNoLetter) {
    // The second choice is "ok" (no button): "c" still means the third line.
    const std::vector<std::string> lines =
        Joined({Block("Count?", {"One apple", "ok", "Three apples", "Four apples", "Five apples"}, "c", "Three.")});
    const TQuizPage page = BuildQuizPage(LinesOf(lines));
    EXPECT_TRUE(page.InvalidAnswers.empty());
    EXPECT_EQ(Verdicts(GradeInBrowser(page, {"R0=V3"}, "skipped-right")), std::vector<std::string>{"Correct!"});
    EXPECT_EQ(Verdicts(GradeInBrowser(page, {"R0=V4"}, "skipped-wrong")), std::vector<std::string>{"Incorrect."});
}

TEST(QuizGrading, PageParsesCleanlyInXmllint) {
    const TQuizPage page = BuildQuizPage(
        LinesOf(Joined({Block("Tom and Jerry's \"show\" \\ here?", kColours, "d", "Cyan </script> it is."),
                        Block("Second?", {"Alpha beta", "ok", "Gamma", "", "Delta"}, "e", "Delta.")})));
    const std::string file = ProgramFolder() + "lint.html";
    test::WriteFileText(file, PageText(page));
    const std::string report = test::CommandOutput("xmllint --html --noout '" + file + "' 2>&1; echo rc=$?");
    EXPECT_EQ(report, "rc=0\n");
}

// ---- The command

class QuizCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        RecentPath.clear();
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        ShellOpenDocument = [this](const std::string& name) {
            opened.push_back(name);
            return openerWorks;
        };
        Application.OnHelp = [this](long context) {
            helps.push_back(context);
            return true;
        };
    }
    void TearDown() override {
        WebForm->mnuQuit->Tag = 1;
        test::FreeWindows();
        ShellOpenDocument = nullptr;
    }

    // Answers the open dialog with file, and records the messages that follow.
    void Choose(const std::string& file) {
        QueueModalAction([this, file](QDialog& d) {
            title = d.windowTitle().toStdString();
            auto& dialog = static_cast<QFileDialog&>(d);
            filters = dialog.nameFilters().join("|").toStdString();
            dialog.selectFile(QString::fromStdString(file));
            d.accept();
        });
    }
    void RecordMessages(int count) {
        for (int i = 0; i < count; ++i)
            QueueModalAction([this](QDialog& d) {
                auto* text = d.findChild<QLabel*>("Message");
                messages.push_back(text ? text->text().toStdString() : "?");
                d.done(mrOk);
            });
    }
    std::string PagePath() const {
        std::string folder;
        GetDataFolder(folder);
        return folder + "vo_WBT.html";
    }

    std::vector<std::string> opened, messages;
    std::vector<long> helps;
    std::string title, filters;
    bool openerWorks = true;
};

TEST_F(QuizCommandTest, WritesThePageReplacingTheOldOneAndOpensIt) {
    EXPECT_EQ(WebForm->mnuCreateTest->Caption(), "Multiple &Choice Quiz...");
    const std::vector<std::string> lines = Joined({Block("First?", kColours, "b", "Fine."),
                                                  Block("Second \xC3\xA9t\xC3\xA9?", kColours, "z", "Last line")});
    const std::string input = ProgramFolder() + "quiz.txt";
    LinesOf(lines).SaveToFile(input);
    test::WriteFileText(PagePath(), "an older page, longer than the new one will be" + std::string(20000, '.'));
    ImageHistoryIndex = 3;

    Choose(input);
    RecordMessages(2);
    WebForm->mnuCreateTestClick(nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(title, "Import Multiple Choice Questionnaire");
    EXPECT_TRUE(Contains(filters, "*.txt")) << filters;
    EXPECT_EQ(messages, (std::vector<std::string>{"2", "16\nLast line"}));
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_EQ(opened, std::vector<std::string>{PagePath()});
    EXPECT_TRUE(helps.empty());
    EXPECT_EQ(test::ReadFileText(PagePath()), PageText(BuildQuizPage(LinesOf(lines))));
    EXPECT_TRUE(Contains(test::ReadFileText(PagePath()), "Second \xC3\xA9t\xC3\xA9?"));
}

TEST_F(QuizCommandTest, Windows1252InputAndAFailedOpener) {
    const std::string input = ProgramFolder() + "latin.txt";
    test::WriteFileText(input, "Caf\xE9?\r\nRed colour\r\nok\r\nBlue colour\r\nCyan colour\r\nPink colour\r\nb\r\n");
    openerWorks = false;
    Choose(input);
    RecordMessages(3);
    WebForm->mnuCreateTestClick(nullptr);
    // Seven lines: one question without feedback; its "b" names the "ok" line.
    EXPECT_EQ(messages, (std::vector<std::string>{"1", "7\nb", "Invalid answer to Question #1"}));
    EXPECT_TRUE(Contains(test::ReadFileText(PagePath()), "<li><h4>Caf\xC3\xA9?</h4>"));
    EXPECT_EQ(helps, std::vector<long>{990});
}

TEST_F(QuizCommandTest, RecentButtonReopensInTheRecentFolderAndCancelEnds) {
    std::string recentDir;
    QueueModalAction([](QDialog&) { WebForm->OpenDialogAny->FRecent()->click(); });
    QueueModalAction([&](QDialog& d) {
        recentDir = static_cast<QFileDialog&>(d).directory().absolutePath().toStdString();
        d.reject();
    });
    WebForm->mnuCreateTestClick(nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(recentDir + "/", IncludeTrailingPathDelimiter(RecentPath));
    EXPECT_TRUE(DirectoryExists(RecentPath));
    EXPECT_TRUE(opened.empty());
}

}  // namespace
