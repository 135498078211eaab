// Answering the program's message boxes in tests, with a record of what each
// box showed.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "platform/Forms.h"

#include <string>
#include <vector>

namespace lumvor::test {

// A message box the test answered: its title and text.
struct Box {
    std::string title;
    std::string text;
    bool hasIgnore = false;
};

// Answers the next message box with result and records what it showed.
inline void Answer(std::vector<Box>& boxes, int result) {
    QueueModalAction([&boxes, result](QDialog& dialog) {
        Box box;
        box.title = dialog.windowTitle().toStdString();
        if (auto* message = dialog.findChild<QLabel*>("Message"))
            box.text = message->text().toStdString();
        box.hasIgnore = dialog.findChild<QPushButton*>("Ignore") != nullptr;
        boxes.push_back(box);
        dialog.done(result);
    });
}

}  // namespace lumvor::test
