#include "app/QuizPage.h"

#include "platform/SysUtils.h"

namespace lumvor {

namespace {

constexpr int kBlockLines = 8;
constexpr int kChoices = 5;
constexpr int kAnswerLine = 6;
constexpr int kFeedbackLine = 7;

// Characters (not bytes) of a UTF-8 text.
int CharacterCount(const std::string& text) {
    int count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

// A choice line holds more than two characters.
bool IsChoice(const std::string& line) { return CharacterCount(line) > 2; }

// The choice an answer line names, 0 to 4: "b" to "e" in any case name the
// second to fifth, anything else the first.
int AnswerChoice(const std::string& line) {
    const std::string letter = LowerCase(Trim(line));
    if (letter.size() == 1 && letter[0] >= 'b' && letter[0] <= 'e')
        return letter[0] - 'a';
    return 0;
}

// A text as a script string literal in double quotes.
std::string Quoted(const std::string& text) { return "\"" + ScriptStringText(text) + "\""; }

// One question block and where its radio buttons stand among the form's.
struct TBlock {
    int Number = 0;      // from 0
    int FirstLine = 0;   // index of the question line
    int FirstElement = 0;
    std::vector<int> ChoiceLines;  // indexes of the lines that are choices
    // The graded choice, counted among the block's radio buttons; -1 when the
    // block has none.
    int Answer = -1;
};

class TQuizBuilder {
public:
    explicit TQuizBuilder(const TStrings& input) : input_(input) {}

    TQuizPage Build() {
        page_.Questions = QuizQuestionCount(input_.Count());
        ReadBlocks();
        WriteHead();
        WriteForm();
        WriteGrader();
        return std::move(page_);
    }

private:
    // A line of the questionnaire; "" past its end.
    std::string Line(int index) const { return index < input_.Count() ? input_[index] : std::string(); }

    void Add(const std::string& line) { page_.Lines.push_back(line); }
    // A script line writing html into the results window.
    void Write(const std::string& html) { Add("w.document.write(" + Quoted(html) + ");"); }

    void ReadBlocks() {
        int element = 0;
        for (int q = 0; q < page_.Questions; ++q) {
            TBlock block;
            block.Number = q;
            block.FirstLine = q * kBlockLines;
            block.FirstElement = element;
            for (int j = block.FirstLine + 1; j <= block.FirstLine + kChoices; ++j)
                if (IsChoice(Line(j)))
                    block.ChoiceLines.push_back(j);
            element += int(block.ChoiceLines.size());
            block.Answer = GradedChoice(block);
            blocks_.push_back(block);
        }
    }

    // The radio button the answer letter names. A block cut short, or a letter
    // naming a line that is no choice, is reported and graded on the first.
    int GradedChoice(const TBlock& block) {
        const bool complete = block.FirstLine + kFeedbackLine < input_.Count();
        const int answerLine = block.FirstLine + 1 + AnswerChoice(Line(block.FirstLine + kAnswerLine));
        for (size_t n = 0; complete && n < block.ChoiceLines.size(); ++n)
            if (block.ChoiceLines[n] == answerLine)
                return int(n);
        page_.InvalidAnswers.push_back(block.Number + 1);
        return block.ChoiceLines.empty() ? -1 : 0;
    }

    void WriteHead() {
        Add("<html><head><meta charset=\"utf-8\"><title>Vo_WBT Multiple Choice Quiz</title></head>");
        Add("<body bgcolor=\"#FFFFFF\" text=\"#000000\">");
        Add("<form method=\"get\" onsubmit=\"grader()\">");
        Add("<ol>");
    }

    // The questions with their radio buttons; the texts go in as they are
    // written, so a questionnaire may hold markup.
    void WriteForm() {
        for (const TBlock& block : blocks_) {
            Add("<hr>");
            Add("<li><h4>" + Line(block.FirstLine) + "</h4>");
            Add("<p>");
            for (int j : block.ChoiceLines)
                Add("<input type=\"radio\" name=\"R" + IntToStr(block.Number) + "\" value=\"V" + IntToStr(j) + "\">" +
                    Line(j) + "<br>");
            Add("</p>");
        }
        Add("</ol>");
        Add("<input type=\"submit\" value=\"Grade Test\">");
        Add("</form>");
    }

    void WriteGrader() {
        int radios = 0;
        for (const TBlock& block : blocks_)
            radios += int(block.ChoiceLines.size());
        Add("<script type=\"text/javascript\">");
        Add("function grader() {");
        Add("var options = new Array(" + IntToStr(radios) + ");");
        Add("var AnsOffset = 0;");
        Add("var CurrAns = 0;");
        Add("var nCorrect = 0;");
        Add("var Grade = 0;");
        Add("var TotalQuestions = " + IntToStr(page_.Questions) + ";");
        Add("var f = document.forms[0];");
        Add("var w = window.open(\"\", \"TestResults\", "
            "\"width=620,height=440,status=yes,scrollbars=yes,resizable=yes\");");
        Write("<html><head><title>Test Results</title></head><body>");
        Write("<ol>");
        for (const TBlock& block : blocks_)
            WriteGrading(block);
        Write("</ol>");
        Add("Grade = (nCorrect * 100) / TotalQuestions;");
        Add("Grade = Math.round(Grade*100)/100;");
        Add("w.document.write(" + Quoted("<h3>SUMMARY: ") + " + nCorrect + " + Quoted(" of ") + " + TotalQuestions + " +
            Quoted(" are correct. </h3>") + ");");
        Add("w.document.write(" + Quoted("<h1>") + " + Grade + " + Quoted("% </h1>") + ");");
        Write("<form><input type=\"button\" value=\"Close\" onclick=\"window.close()\"></form>");
        Write("</body></html>");
        Add("w.document.close();");
        Add("}</script>");
        Add("</body></html>");
    }

    // One question again in the results window, its radio buttons as the user
    // left them, and the verdict.
    void WriteGrading(const TBlock& block) {
        const std::string correct = "<b><font color=\"#008800\">Correct!</font></b><br>";
        const std::string incorrect = "<b><font color=\"#880000\">Incorrect.</font></b><br>";
        Write("<hr>");
        Add("w.document.write(" + Quoted("<li><h4>") + " + " + Quoted(Line(block.FirstLine)) + " + " +
            Quoted("</h4>") + ");");
        int element = block.FirstElement;
        for (int j : block.ChoiceLines) {
            const std::string k = IntToStr(element++);
            Add("options[" + k + "] = f.elements[" + k + "].checked;");
            Add("w.document.write(" +
                Quoted("<input type=\"radio\" name=\"r" + IntToStr(block.Number) + "\" value=\"v" + IntToStr(j) + "\"") +
                " + (options[" + k + "] ? \" checked\" : \"\") + \">\" + " + Quoted(Line(j)) + " + \"<br>\");");
        }
        if (block.Answer < 0) {
            // Nothing to tick: the question cannot be right.
            Write(incorrect);
        } else {
            Add("AnsOffset = " + IntToStr(block.FirstElement) + ";");
            Add("CurrAns = " + IntToStr(block.Answer) + ";");
            Add("if (f.elements[AnsOffset + CurrAns].checked) {");
            Write(correct);
            Add("nCorrect = nCorrect + 1;");
            Add("} else {");
            Write(incorrect);
            Add("}");
        }
        Write(Line(block.FirstLine + kFeedbackLine));
    }

    const TStrings& input_;
    TQuizPage page_;
    std::vector<TBlock> blocks_;
};

}  // namespace

int QuizQuestionCount(int LineCount) { return (LineCount + 1) / kBlockLines; }

std::string ScriptStringText(const std::string& Text) {
    std::string out;
    out.reserve(Text.size() + 8);
    for (size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\'': out += "\\'"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '/':
        case '!':
            // "</" would end the script and "<!--" change how it is read.
            if (i > 0 && Text[i - 1] == '<')
                out += '\\';
            out += c;
            break;
        case '\xE2':
            // The line and paragraph separators end a line in older scripts.
            if (Text.compare(i, 3, "\xE2\x80\xA8") == 0 || Text.compare(i, 3, "\xE2\x80\xA9") == 0) {
                out += Text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
                i += 2;
            } else {
                out += c;
            }
            break;
        default: out += c;
        }
    }
    return out;
}

TQuizPage BuildQuizPage(const TStrings& Input) { return TQuizBuilder(Input).Build(); }

}  // namespace lumvor
