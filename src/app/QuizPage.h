// The self-grading multiple-choice quiz page.
//
// A questionnaire is plain text in blocks of eight lines: the question, five
// choices (a line of two characters or fewer is no choice), the letter of the
// right choice ("b" to "e" in any case; anything else means the first) and a
// feedback line. The page shows each question with radio buttons; its
// grader() script writes every question again into a new window, marked
// "Correct!" or "Incorrect.", followed by the score.
#pragma once

#include "platform/Classes.h"

#include <string>
#include <vector>

namespace lumvor {

// The page built from a questionnaire.
struct TQuizPage {
    // The page, one line each.
    std::vector<std::string> Lines;
    // Number of questions: (line count + 1) div 8.
    int Questions = 0;
    // Questions (numbered from 1) whose block ended early, or whose answer
    // letter names a line that is no choice: each asks for
    // "Invalid answer to Question #" + the number.
    std::vector<int> InvalidAnswers;
};

// The line count + 1, divided by 8 (toward zero).
int QuizQuestionCount(int LineCount);

// Text written into a script string between quotes of either kind:
// backslash, quotes and line breaks escaped, and "</" written "<\/" so that it
// never ends the script.
std::string ScriptStringText(const std::string& Text);

// Builds the page from the questionnaire's lines.
TQuizPage BuildQuizPage(const TStrings& Input);

}  // namespace lumvor
