#include "platform/RichText.h"

#include "platform/Classes.h"
#include "platform/Streams.h"

#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <array>
#include <cctype>
#include <string>

namespace lumvor {

namespace {

// Destinations whose text is not part of the document.
constexpr std::array<std::string_view, 17> kSkippedDestinations = {
    "fonttbl", "colortbl", "stylesheet", "info", "pict", "fldinst", "object", "listtable", "listoverridetable",
    "revtbl", "rsidtbl", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "generator",
};

struct TGroupState {
    bool Bold = false, Italic = false, Underline = false;
    int SkipCount = 1;  // \ucN
    bool Skip = false;  // inside a destination that is not shown
};

class TRtfReader {
public:
    explicit TRtfReader(std::string_view bytes) : in_(bytes) {}

    TRichText Read() {
        groups_.push_back(TGroupState{});
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                groups_.push_back(groups_.back());
                pending_ = 0;
                groupStart_ = true;
                continue;
            }
            if (c == '}') {
                groups_.pop_back();
                pending_ = 0;
                // The document's own group has closed.
                if (groups_.size() <= 1)
                    break;
                continue;
            }
            const bool atGroupStart = groupStart_;
            groupStart_ = false;
            if (c == '\\')
                Control(atGroupStart);
            else if (c != '\r' && c != '\n')
                Byte(static_cast<unsigned char>(c));
        }
        return Finish();
    }

private:
    TGroupState& State() { return groups_.back(); }

    void Control(bool atGroupStart) {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            Symbol(c);
            return;
        }
        std::string word;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])) && word.size() < 32)
            word += in_[pos_++];
        bool hasParam = false;
        bool negative = false;
        long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() &&
            std::isdigit(static_cast<unsigned char>(in_[pos_ + 1]))) {
            negative = true;
            ++pos_;
        }
        int digits = 0;
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            if (digits++ < 10)
                param = param * 10 + (in_[pos_] - '0');
            hasParam = true;
            ++pos_;
        }
        if (negative)
            param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        Word(word, hasParam, param, atGroupStart);
    }

    void Symbol(char c) {
        switch (c) {
        case '\'': {
            int value = 0;
            for (int k = 0; k < 2 && pos_ < in_.size() && std::isxdigit(static_cast<unsigned char>(in_[pos_])); ++k)
                value = value * 16 + HexValue(in_[pos_++]);
            Byte(static_cast<unsigned char>(value));
            return;
        }
        case '\\':
        case '{':
        case '}': Emit(static_cast<char16_t>(c)); return;
        case '~': Emit(u'\u00A0'); return;
        case '_': Emit(u'\u2011'); return;
        case '*': State().Skip = true; return;
        case '\r':
        case '\n': Emit(u'\n'); return;
        default: Skipped(); return;
        }
    }

    static int HexValue(char c) {
        return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    }

    void Word(const std::string& word, bool hasParam, long param, bool atGroupStart) {
        if (atGroupStart)
            for (std::string_view skipped : kSkippedDestinations)
                if (word == skipped) {
                    State().Skip = true;
                    return;
                }
        const bool on = !hasParam || param != 0;
        if (word == "bin") {
            // Binary data of param bytes follows.
            const size_t count = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
            pos_ += std::min(count, in_.size() - pos_);
            return;
        }
        if (word == "u") {
            Emit(static_cast<char16_t>(param < 0 ? param + 65536 : param), true);
            pending_ = State().Skip ? 0 : State().SkipCount;
            return;
        }
        if (pending_ > 0) {
            --pending_;
            return;
        }
        if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row")
            Emit(u'\n');
        else if (word == "tab" || word == "cell")
            Emit(u'\t');
        else if (word == "b")
            State().Bold = on;
        else if (word == "i")
            State().Italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" || word == "ulth")
            State().Underline = on;
        else if (word == "ulnone")
            State().Underline = false;
        else if (word == "plain")
            State().Bold = State().Italic = State().Underline = false;
        else if (word == "uc")
            State().SkipCount = hasParam && param >= 0 && param < 16 ? static_cast<int>(param) : 1;
        else if (word == "emdash")
            Emit(u'\u2014');
        else if (word == "endash")
            Emit(u'\u2013');
        else if (word == "bullet")
            Emit(u'\u2022');
        else if (word == "lquote")
            Emit(u'\u2018');
        else if (word == "rquote")
            Emit(u'\u2019');
        else if (word == "ldblquote")
            Emit(u'\u201C');
        else if (word == "rdblquote")
            Emit(u'\u201D');
        else if (word == "emspace" || word == "enspace" || word == "qmspace")
            Emit(u' ');
    }

    // A byte of text, read as Windows-1252.
    void Byte(unsigned char b) {
        if (b < 0x80) {
            Emit(static_cast<char16_t>(b));
            return;
        }
        const QString text = QString::fromStdString(Cp1252ToUtf8(std::string_view(reinterpret_cast<char*>(&b), 1)));
        Emit(text.isEmpty() ? u'?' : static_cast<char16_t>(text.at(0).unicode()));
    }

    // A character the \uN skipping may swallow.
    void Skipped() {
        if (pending_ > 0)
            --pending_;
    }

    void Emit(char16_t c, bool fromUnicode = false) {
        if (State().Skip)
            return;
        if (!fromUnicode && pending_ > 0) {
            --pending_;
            return;
        }
        const TGroupState& s = State();
        if (runs_.empty() || runs_.back().Bold != s.Bold || runs_.back().Italic != s.Italic ||
            runs_.back().Underline != s.Underline)
            runs_.push_back(TRun{{}, s.Bold, s.Italic, s.Underline});
        runs_.back().Text += c;
    }

    TRichText Finish() {
        TRichText result;
        for (const TRun& run : runs_) {
            if (run.Text.empty())
                continue;
            TRichRun out;
            out.Text = QString::fromStdU16String(run.Text).toStdString();
            out.Bold = run.Bold;
            out.Italic = run.Italic;
            out.Underline = run.Underline;
            result.Runs.push_back(std::move(out));
        }
        return result;
    }

    struct TRun {
        std::u16string Text;
        bool Bold, Italic, Underline;
    };

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<TGroupState> groups_;
    std::vector<TRun> runs_;
    int pending_ = 0;  // characters still to skip after \uN
    bool groupStart_ = false;
};

bool IsRtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

}  // namespace

std::string TRichText::PlainText() const {
    std::string text;
    for (const TRichRun& run : Runs)
        text += run.Text;
    return text;
}

TRichText ReadRtf(std::string_view Bytes) {
    if (!IsRtf(Bytes)) {
        TRichText plain;
        plain.Runs.push_back(TRichRun{DecodeText(Bytes)});
        return plain;
    }
    return TRtfReader(Bytes).Read();
}

void LoadTextControl(QTextEdit& Control, const std::string& FileName) {
    TMemoryStream stream;
    stream.LoadFromFile(FileName);
    const std::string_view bytes(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
    Control.clear();
    if (!IsRtf(bytes)) {
        Control.setPlainText(QString::fromStdString(DecodeText(bytes)));
        return;
    }
    QTextCursor cursor(Control.document());
    const QTextCharFormat base = cursor.charFormat();
    for (const TRichRun& run : ReadRtf(bytes).Runs) {
        QTextCharFormat format = base;
        format.setFontWeight(run.Bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(run.Italic);
        format.setFontUnderline(run.Underline);
        const QStringList lines = QString::fromStdString(run.Text).split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            cursor.insertText(lines[i], format);
        }
    }
    cursor.movePosition(QTextCursor::Start);
    Control.setTextCursor(cursor);
}

}  // namespace lumvor
