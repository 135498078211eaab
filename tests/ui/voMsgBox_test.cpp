// The message box and the input box, answered by the test through the modal hook.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <vector>
#include <functional>

#include "imaging/Helpers.h"
#include "imgman/ImgFormats.h"
#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

using namespace lumvor;

namespace {

using Answer = std::function<void(QDialog*)>;

// Answers the next modal boxes in order, one function per box shown.
class ModalAnswers {
public:
    explicit ModalAnswers(std::initializer_list<Answer> answers) {
        for (const Answer& a : answers)
            QueueModalAction([a](QDialog& dialog) { a(&dialog); });
    }
    ~ModalAnswers() { ClearModalAnswers(); }
    bool AllUsed() const { return QueuedModalAnswers() == 0; }
};

QPushButton* Button(QDialog* d, const char* name) { return d->findChild<QPushButton*>(name); }

Answer Click(const char* name) {
    return [name](QDialog* d) {
        QPushButton* b = Button(d, name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    };
}

void Key(QDialog* d, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(d, &press);
}

class MsgBox : public ::testing::Test {
protected:
    void SetUp() override {
        voMsgBox::MsgLeft = -1;
        voMsgBox::MsgTop = -1;
        voMsgBox::DefaultButtonName.clear();
    }
};

}  // namespace

TEST_F(MsgBox, EachButtonReturnsItsCode) {
    struct Case {
        std::uint16_t buttons;
        const char* click;
        int expected;
    } cases[] = {
        {ButtonBit(mbYes) | ButtonBit(mbNo), "Yes", 6},
        {ButtonBit(mbYes) | ButtonBit(mbNo), "No", 7},
        {mbOKOnly, "OK", 1},
        {8, "Cancel", 2},
        {16, "Abort", 3},
        {ButtonBit(mbRetry) | ButtonBit(mbCancel), "Retry", 4},
        {68, "Ignore", 5},
        {ButtonBit(mbAll) | ButtonBit(mbOK), "All", 8},
        {ButtonBit(mbNoToAll) | ButtonBit(mbYes), "NoToAll", 9},
        {515, "YesToAll", 10},
        {ButtonBit(mbOkToAll) | ButtonBit(mbOK), "OkToAll", 666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.click);
        ModalAnswers answers({Click(c.click)});
        EXPECT_EQ(voMessageDlg("", "", "Question?", mtConfirmation, c.buttons, AutoDefaultButton, 0),
                  c.expected);
    }
}

TEST_F(MsgBox, ButtonsCaptionsAndLayoutFollowBitOrder) {
    ModalAnswers answers({[](QDialog* d) {
        const char* names[] = {"Yes", "No", "Abort", "YesToAll"};
        const char* captions[] = {"&Yes", "&No", "&Abort", "Y&es to All"};
        int lastX = -1;
        for (int i = 0; i < 4; ++i) {
            QPushButton* b = Button(d, names[i]);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text(), captions[i]);
            EXPECT_GT(b->x(), lastX);
            lastX = b->x();
        }
        EXPECT_EQ(d->windowTitle(), "Warning");
        EXPECT_NE(d->findChild<QLabel*>("Image"), nullptr);
        Button(d, "No")->click();
    }});
    EXPECT_EQ(voMessageDlg("", "", "Go on?", mtWarning, 531, AutoDefaultButton, 0), 7);
}

TEST_F(MsgBox, CheckBoxOrsItsFlagIntoTheResult) {
    auto tickThenYes = [](bool tick) {
        return [tick](QDialog* d) {
            auto* check = d->findChild<QCheckBox*>("Checkbox");
            ASSERT_NE(check, nullptr);
            EXPECT_EQ(check->text(), " Don't ask again");
            EXPECT_FALSE(check->isChecked());
            if (tick)
                check->click();
            Button(d, "Yes")->click();
        };
    };
    ModalAnswers answers({tickThenYes(true), tickThenYes(false)});
    EXPECT_EQ(voMessageDlg("Don't ask again", "", "Delete?", mtConfirmation, 3, AutoDefaultButton, 0),
              16390);
    EXPECT_EQ(voMessageDlg("Don't ask again", "", "Delete?", mtConfirmation, 3, AutoDefaultButton, 0), 6);
}

TEST_F(MsgBox, DefaultAndCancelButtons) {
    // Yes, No, Cancel: Yes is the automatic default, Escape presses Cancel.
    ModalAnswers answers({
        [](QDialog* d) {
            EXPECT_TRUE(Button(d, "Yes")->isDefault());
            Key(d, Qt::Key_Escape);
        },
        // Yes, No, Yes to All with DefaultButton 1: No is the default; Enter presses it.
        [](QDialog* d) {
            EXPECT_TRUE(Button(d, "No")->isDefault());
            EXPECT_FALSE(Button(d, "Yes")->isDefault());
            Key(d, Qt::Key_Return);
        },
        // Yes and No: No is the cancel button.
        [](QDialog* d) { Key(d, Qt::Key_Escape); },
        // Abort alone, automatic default: neither default nor cancel button; Escape does nothing.
        [](QDialog* d) {
            EXPECT_FALSE(Button(d, "Abort")->isDefault());
            Key(d, Qt::Key_Escape);
            QApplication::processEvents();
            EXPECT_TRUE(d->isVisible());
            Button(d, "Abort")->click();
        },
        // Abort alone with DefaultButton 4: Abort is the default.
        [](QDialog* d) {
            EXPECT_TRUE(Button(d, "Abort")->isDefault());
            Key(d, Qt::Key_Return);
        },
        // The window's close button.
        [](QDialog* d) { d->close(); },
    });
    EXPECT_EQ(voMessageDlg("", "", "Save?", mtConfirmation, 11, AutoDefaultButton, 0), 2);
    EXPECT_EQ(voMessageDlg("", "", "Replace?", mtConfirmation, 515, 1, 0), 7);
    EXPECT_EQ(voMessageDlg("", "", "Replace?", mtConfirmation, 3, AutoDefaultButton, 0), 7);
    EXPECT_EQ(voMessageDlg("", "", "Stopped.", mtError, 16, AutoDefaultButton, 0), 3);
    EXPECT_EQ(voMessageDlg("", "", "Stopped.", mtError, 16, mbAbort, 0), 3);
    EXPECT_EQ(voMessageDlg("", "", "Sure?", mtConfirmation, 3, AutoDefaultButton, 0), 2);
    EXPECT_TRUE(answers.AllUsed());
}

TEST_F(MsgBox, HelpButtonKeepsTheBoxOpen) {
    std::vector<long> helped;
    Application.OnHelp = [&](long context) {
        helped.push_back(context);
        return true;
    };
    ModalAnswers answers({[](QDialog* d) {
        Button(d, "Help")->click();
        QApplication::processEvents();
        EXPECT_TRUE(d->isVisible());
        Button(d, "OK")->click();
    }});
    EXPECT_EQ(voMessageDlg("", "", "Read the help.", mtInformation, 1028, AutoDefaultButton, 250), 1);
    Application.OnHelp = nullptr;
    EXPECT_EQ(helped, std::vector<long>{250});
}

TEST_F(MsgBox, PositionIsRememberedAndPulledOntoTheScreen) {
    QSize boxSize;
    ModalAnswers answers({
        [&](QDialog* d) {
            // The first box of a run is centred.
            boxSize = d->size();
            EXPECT_EQ(d->x(), Screen.Width() / 2 - d->width() / 2);
            EXPECT_EQ(d->y(), Screen.Height() / 2 - d->height() / 2);
            d->move(40, 50);
            Button(d, "OK")->click();
        },
        [&](QDialog* d) {
            EXPECT_EQ(d->pos(), QPoint(40, 50));
            d->move(Screen.Width() - 10, Screen.Height() - 5);
            Button(d, "OK")->click();
        },
        [&](QDialog* d) {
            EXPECT_EQ(d->pos(), QPoint(Screen.Width() - boxSize.width(), Screen.Height() - boxSize.height()));
            Button(d, "OK")->click();
        },
    });
    for (int i = 0; i < 3; ++i)
        voMessageDlg("", "", "Done.", mtInformation, mbOKOnly, AutoDefaultButton, 0);
    EXPECT_TRUE(answers.AllUsed());
}

TEST_F(MsgBox, LongMessageWrapsAtHalfTheScreenWidth) {
    ModalAnswers answers({[](QDialog* d) {
        auto* message = d->findChild<QLabel*>("Message");
        ASSERT_NE(message, nullptr);
        EXPECT_LE(message->width(), Screen.Width() / 2);
        EXPECT_GT(message->height(), 2 * message->fontMetrics().height());
        EXPECT_EQ(d->windowTitle(), "My caption");
        Button(d, "OK")->click();
    }});
    std::string msg;
    for (int i = 0; i < 60; ++i)
        msg += "word" + std::to_string(i) + " ";
    voMessageDlg("", "My caption", msg, mtCustom, mbOKOnly, AutoDefaultButton, 0);
}

TEST_F(MsgBox, InputQueryReturnsTheEditedText) {
    ModalAnswers answers({
        [](QDialog* d) {
            auto* edit = d->findChild<QLineEdit*>();
            EXPECT_EQ(edit->text(), "old");
            EXPECT_EQ(edit->selectedText(), "old");
            EXPECT_EQ(edit->maxLength(), 255);
            edit->setText("new name");
            Button(d, "OK")->click();
        },
        [](QDialog* d) {
            d->findChild<QLineEdit*>()->setText("ignored");
            Key(d, Qt::Key_Escape);
        },
    });
    std::string value = "old";
    EXPECT_TRUE(voInputQuery(220, 300, 0, "Rename", "New name:", value));
    EXPECT_EQ(value, "new name");
    EXPECT_FALSE(voInputQuery(220, 300, 0, "Rename", "New name:", value));
    EXPECT_EQ(value, "new name");
}

TEST_F(MsgBox, InputQueryHelpShowsTheBoxAgainWithTheTypedText) {
    std::vector<long> helped;
    Application.OnHelp = [&](long context) {
        helped.push_back(context);
        return true;
    };
    ModalAnswers answers({
        [](QDialog* d) {
            d->findChild<QLineEdit*>()->setText("typed so far");
            Button(d, "Help")->click();
        },
        [](QDialog* d) {
            EXPECT_EQ(d->findChild<QLineEdit*>()->text(), "typed so far");
            Button(d, "Cancel")->click();
        },
    });
    std::string value = "start";
    EXPECT_FALSE(voInputQuery(240, 300, 445, "Search", "Text:", value));
    Application.OnHelp = nullptr;
    EXPECT_EQ(value, "start");
    EXPECT_EQ(helped, std::vector<long>{445});
    EXPECT_TRUE(answers.AllUsed());
}

// The controls register this box and the stop flag for the layers below them, so
// the image library's error and the disk-space warning come up here with OK only.
TEST_F(MsgBox, LowerLayersWarnThroughThisBox) {
    struct Shown {
        QString title;
        QString text;
        int buttons;
        std::uint8_t cancelPressed;
    };
    std::vector<Shown> shown;
    const Answer record = [&shown](QDialog* d) {
        QLabel* message = d->findChild<QLabel*>("Message");
        ASSERT_NE(message, nullptr);
        shown.push_back({d->windowTitle(), message->text(), int(d->findChildren<QPushButton*>().size()),
                         CancelPressed});
        Button(d, "OK")->click();
    };
    imgman::SetLastError("Invalid DCX file.");
    CancelPressed = 0;
    ModalAnswers answers({record, record});
    EXPECT_EQ(ImgErrBox(nullptr), 1);
    ShowDiskSpaceError(5000LL * 1024, 6LL * 1024, "Save operation failed.");
    EXPECT_TRUE(answers.AllUsed());
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].text, "Invalid DCX file.");
    EXPECT_EQ(shown[0].buttons, 1);
    EXPECT_EQ(shown[0].cancelPressed, 0);
    EXPECT_EQ(shown[1].title, "Warning");
    EXPECT_EQ(shown[1].text.toStdString(), DiskSpaceErrorText(5000LL * 1024, 6LL * 1024, "Save operation failed."));
    EXPECT_EQ(shown[1].buttons, 1);
    // The long run is told to stop before the warning shows.
    EXPECT_EQ(shown[1].cancelPressed, 1);
    CancelPressed = 0;
    imgman::SetLastError("");
}
