// The multiple-choice quiz command of the Tools menu.
#include "app/QuizPage.h"
#include "app/lumv8900.h"
#include "imaging/Helpers.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/voMsgBox.h"

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr long kQuizHelpContext = 300;
constexpr long kNoBrowserHelpContext = 990;

void PlainMessage(const std::string& Text) {
    voMessageDlg("", "", Text, mtCustom, mbOKOnly, AutoDefaultButton, 0);
}

}  // namespace

void TWebForm::mnuCreateTestClick(QObject*) {
    OpenDialogAny->Filter = "Multiple Choice Text Input|*.txt";
    OpenDialogAny->Title = "Import Multiple Choice Questionnaire";
    OpenDialogAny->DefaultExt = "txt";
    OpenDialogAny->HelpContext = kQuizHelpContext;
    OpenDialogAny->SetFileName("");
    const bool chosen = ExecuteWithRecent(*OpenDialogAny);
    OpenDialogAny->HelpContext = 0;
    if (!chosen)
        return;

    TStringList questionnaire;
    Screen.SetCursor(crHourGlass);
    try {
        questionnaire.LoadFromFile(OpenDialogAny->FileName());
    } catch (const Exception& e) {
        Screen.SetCursor(crDefault);
        voMessageDlg("", "", e.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    Screen.SetCursor(crDefault);
    ImageHistoryIndex = 0;

    const TQuizPage page = BuildQuizPage(questionnaire);
    const int lineCount = questionnaire.Count();
    PlainMessage(IntToStr(page.Questions));
    PlainMessage(IntToStr(lineCount) + "\n" + (lineCount > 0 ? questionnaire[lineCount - 1] : std::string()));
    for (int question : page.InvalidAnswers)
        PlainMessage("Invalid answer to Question #" + IntToStr(question));

    std::string folder;
    GetDataFolder(folder);
    const std::string pageName = folder + "vo_WBT.html";
    TStringList lines;
    for (const std::string& line : page.Lines)
        lines.Add(line);
    try {
        lines.SaveToFile(pageName);
    } catch (const Exception& e) {
        voMessageDlg("", "", e.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    if (ExecuteFile(pageName, "", "", 1) <= 32)
        Application.HelpContext(kNoBrowserHelpContext);
}

}  // namespace lumvor
