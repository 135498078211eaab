// A small reader of rich-text (RTF) files and the loading of text files into
// the program's read-only text control.
//
// The reader keeps what a reader of the document sees: text runs with bold,
// italic and underline, paragraph and line breaks, tabs, "\'hh" characters
// (Windows-1252), "\uN" characters with "\ucN" skipping, and the common
// typographic symbols. It skips the font, colour and style tables, the "\*"
// destinations, pictures, objects and field instructions (a field's result
// text is kept). Everything else is shown as plain text: sizes, colours,
// fonts, tables and lists lose their layout. Bytes that do not start with
// "{\rtf" are plain text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QTextEdit;

namespace lumvor {

// A piece of text in one character format. Text is UTF-8; "\n" ends a
// paragraph or a line, "\t" is a tab.
struct TRichRun {
    std::string Text;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool operator==(const TRichRun&) const = default;
};

struct TRichText {
    std::vector<TRichRun> Runs;
    // All runs' text, one after the other.
    std::string PlainText() const;
};

// Reads rich text from its bytes; never throws for bad input (unbalanced
// braces end the document, unknown words are ignored).
TRichText ReadRtf(std::string_view Bytes);

// Loads a text file into the control: ".RTF" files through ReadRtf, other
// files as plain text (UTF-8, else Windows-1252). Raises EFOpenError when the
// file cannot be read.
void LoadTextControl(QTextEdit& Control, const std::string& FileName);

}  // namespace lumvor
