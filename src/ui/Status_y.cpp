#include "ui/Status_y.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "platform/Forms.h"

namespace lumvor {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

QString PathEllipsis(const QString& Text, const QFontMetrics& Metrics, int Width) {
    if (Metrics.horizontalAdvance(Text) <= Width)
        return Text;
    const QString dots = QStringLiteral("...");
    const qsizetype slash = Text.lastIndexOf('/');
    if (slash < 0)
        return Metrics.elidedText(Text, Qt::ElideRight, Width);
    const QString tail = Text.mid(slash);
    QString head = Text.left(slash);
    const int room = Width - Metrics.horizontalAdvance(dots + tail);
    if (room < 0)
        return Metrics.elidedText(dots + tail, Qt::ElideRight, Width);
    while (!head.isEmpty() && Metrics.horizontalAdvance(head) > room)
        head.chop(1);
    return head + dots + tail;
}

TStatusForm::TStatusForm(QWidget* owner) : QDialog(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowContextHelpButtonHint | Qt::WindowStaysOnTopHint);
    setModal(false);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(367, 80);

    lblStatus = new QLabel(QStringLiteral("One moment ..."), this);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setGeometry(8, 0, 361, 25);
    lblStatus->setAlignment(Qt::AlignCenter);
    lblStatus->installEventFilter(this);

    lblThumbs = new QLabel(this);
    lblThumbs->setObjectName("lblThumbs");
    lblThumbs->setGeometry(8, 32, 57, 17);
    ProgressThumbs = new QProgressBar(this);
    ProgressThumbs->setObjectName("ProgressThumbs");
    ProgressThumbs->setGeometry(72, 31, 202, 17);
    ProgressThumbs->setRange(0, 100);
    ProgressThumbs->setValue(0);
    ProgressThumbs->setTextVisible(false);

    lblFolder = new QLabel(this);
    lblFolder->setObjectName("lblFolder");
    lblFolder->setGeometry(8, 56, 57, 17);
    ProgressFolders = new QProgressBar(this);
    ProgressFolders->setObjectName("ProgressFolders");
    ProgressFolders->setGeometry(72, 56, 202, 17);
    ProgressFolders->setRange(0, 100);
    ProgressFolders->setValue(0);
    ProgressFolders->setTextVisible(false);

    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(283, 38, 72, 26);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TStatusForm::btnCancelClick);

    FormCreate();
}

TStatusForm::~TStatusForm() {
    if (StatusForm == this)
        StatusForm = nullptr;
}

void TStatusForm::FormCreate() {
    lblThumbs->setText(QStringLiteral("Thumbs:"));
    lblFolder->setText(QStringLiteral("Folders:"));
    CancelPressed = 0;
    if (Status_y::StatusLeft != -1 && Status_y::StatusTop != -1)
        move(Status_y::StatusLeft, Status_y::StatusTop);
    else
        move((Screen.Width() - width()) / 2, (Screen.Height() - height()) / 2);
}

void TStatusForm::LabelText(const std::string& MainText, const std::string& Label1Text,
                            const std::string& Label2Text) {
    Status_y::StatusText = MainText;
    if (!Label1Text.empty())
        lblThumbs->setText(Q(Label1Text));
    if (!Label2Text.empty())
        lblFolder->setText(Q(Label2Text));
    FormPaint();
}

// The status line is painted over lblStatus: one line, vertically centred, a long
// path shortened in its middle rather than wrapped.
void TStatusForm::FormPaint() { lblStatus->repaint(); }

bool TStatusForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblStatus && event->type() == QEvent::Paint) {
        QPainter painter(lblStatus);
        const QRect r = lblStatus->rect();
        painter.fillRect(r, palette().color(QPalette::Button));
        painter.setPen(palette().color(QPalette::ButtonText));
        const QString text = PathEllipsis(Q(Status_y::StatusText), painter.fontMetrics(), r.width());
        painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TStatusForm::btnCancelClick() {
    Screen.SetCursor(crHourGlass);
    CancelPressed = 1;
}

void TStatusForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        CancelPressed = 1;
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TStatusForm::closeEvent(QCloseEvent* event) {
    // Close query: remember the place for the next box.
    Status_y::StatusLeft = x();
    Status_y::StatusTop = y();
    IsBusy = 0;
    // Close: the box frees itself (WA_DeleteOnClose).
    IsBusy = 0;
    if (StatusForm == this)
        StatusForm = nullptr;
    event->accept();
}

void ShowStatusForm(const std::string& Caption) {
    // One box at a time: a box still open from an earlier run is closed first.
    if (StatusForm)
        StatusForm->Close();
    StatusForm = new TStatusForm(Application.MainForm());
    StatusForm->setWindowTitle(Q(Caption));
    StatusForm->show();
}

}  // namespace lumvor
