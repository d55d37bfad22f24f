#include "app/unt_frmMain.h"

#include "app/unt_clsSkin.h"
#include "app/unt_frmLogin.h"
#include "data/unt_clsBackupJob.h"
#include "data/unt_clsClock.h"
#include "find/unt_frmFind.h"
#include "panels/unt_TShape.h"
#include "panels/unt_clsButtonCreator.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTreeWidget>

namespace
{
const QColor Gray(0x80, 0x80, 0x80);

QRadioButton *MakeRadio(QWidget *Parent, const char *Name, const QString &Caption, int X)
{
    auto *radio = new QRadioButton(Caption, Parent);
    radio->setObjectName(QLatin1String(Name));
    QFont bold = radio->font();
    bold.setBold(true);
    radio->setFont(bold);
    radio->setGeometry(X, 58, 80, 17);
    return radio;
}

QWidget *MakePanel(QWidget *panel, const char *Name)
{
    panel->setObjectName(QLatin1String(Name));
    panel->setGeometry(17, 91, 616, 372);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->hide();
    return panel;
}
} // namespace

TfrmMain::TfrmMain(QWidget *Parent) : QWidget(Parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ApplicationTitle());
    setWindowIcon(QIcon(QStringLiteral(":/gui/lumora.svg")));
    setFixedSize(650, 480);
    // The skin is drawn for white panels and dark text: a dark desktop theme
    // or a larger desktop font must not reach it.
    PinProgramLook(this);
    // The corners outside the rounded outline are see-through: where the
    // window system ignores the mask (Wayland), they are not painted white.
    setAttribute(Qt::WA_TranslucentBackground);
    BuildShell();
    FOut->Build();
    FIn->Build();
    FBrowse->Build();
    ConnectMoreMenu();
    dlgSave = new QFileDialog(this);
    dlgSave->setObjectName(QStringLiteral("dlgSave"));
    FSession.SaveDialog = dlgSave;
    FOutputs.SetSaveDialog(dlgSave);
    dlgSave->setAcceptMode(QFileDialog::AcceptSave);
    PrepareFileDialog(dlgSave, QStringLiteral("另存为"));
    // The export handlers ask about overwriting and add the extension.
    dlgSave->setOption(QFileDialog::DontConfirmOverwrite);
    // The first export goes to the user's documents, never the program's
    // folder; later ones start where the last went (see AskExportFile).
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QFileInfo(documents).isDir())
        documents = QDir::homePath();
    dlgSave->setDirectory(documents);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::BuildShell()
{
    imgBackground = new TclsSkin(this);
    imgBackground->setGeometry(0, 0, 650, 480);

    // LabelY < 0: the glyph in the middle of the button both ways; else only
    // across, with its top at LabelY ("_" belongs low).
    auto captionButton = [this](const char *ShapeName, const char *LabelName, const QString &Text, int ShapeX,
                                int LabelY, const QColor &Color, const QString &Hint, TShape *&Shape,
                                QLabel *&Label) {
        Shape = new TShape(this);
        Shape->setObjectName(QLatin1String(ShapeName));
        Shape->setGeometry(ShapeX, 16, 17, 16);
        Shape->SetPen(Qt::NoPen, Qt::white);
        Shape->SetBrush(Qt::SolidPattern, Qt::white);
        Shape->setToolTip(Hint);
        Label = MakeLabel(this, QLatin1String(LabelName), Text, ShapeX, qMax(LabelY, 0), Color);
        // Drawn without smoothing: the thin "_" and the small "×" of the Song
        // face blur into a faint smudge otherwise.
        QFont bold = Label->font();
        bold.setBold(true);
        bold.setStyleStrategy(QFont::NoAntialias);
        Label->setFont(bold);
        Label->adjustSize();
        // The glyph's ink, not its advance, goes to the middle of the button:
        // the Song face's "×" sits left in its cell and would look off centre.
        const QFontMetrics metrics(bold);
        const QRectF ink = metrics.tightBoundingRect(Text).toRectF();
        const QRectF button = Shape->geometry().toRectF();
        const double top = button.center().y() - metrics.ascent() - ink.center().y();
        Label->move(qRound(button.center().x() - ink.center().x()), LabelY < 0 ? qRound(top) : LabelY);
        Label->setToolTip(Hint);
        Shape->installEventFilter(this);
        Label->installEventFilter(this);
    };
    captionButton("shpMinimize", "lblMinimize", QStringLiteral("_"), 582, 16, Gray, QStringLiteral("最小化"),
                  shpMinimize, lblMinimize);
    captionButton("shpClose", "lblClose", QStringLiteral("×"), 605, -1, Maroon, QStringLiteral("关闭"),
                  shpClose, lblClose);

    lblUserName = MakeLabel(this, QStringLiteral("lblUserName"), QString(), 622, 60);
    auto *separator = new TShape(this, TShape::TKind::Rectangle);
    separator->setObjectName(QStringLiteral("shpSeparator"));
    separator->setGeometry(29, 86, 593, 2);
    separator->SetPen(Qt::NoPen, Qt::white);
    separator->SetBrush(Qt::SolidPattern, QColor(0xC0, 0xC0, 0xC0));

    rdoOut = MakeRadio(this, "rdoOut", QStringLiteral("支出记帐"), 34);
    rdoIn = MakeRadio(this, "rdoIn", QStringLiteral("收入记帐"), 131);
    rdoInAndOut = MakeRadio(this, "rdoInAndOut", QStringLiteral("收支目录"), 228);
    for (QRadioButton *radio : {rdoOut, rdoIn, rdoInAndOut})
        connect(radio, &QRadioButton::clicked, this, [this, radio] { SelectPanel(radio); });

    FOut = new TEntryPanel(true, PanelHost(), this);
    FIn = new TEntryPanel(false, PanelHost(), this);
    for (TEntryPanel *panel : {FOut, FIn})
        panel->NameCombo = [this](bool Expense) { return NameCombo(Expense); };
    pnlOut = MakePanel(FOut, "pnlOut");
    pnlIn = MakePanel(FIn, "pnlIn");
    FBrowse->setParent(this);
    pnlInAndOut = MakePanel(FBrowse, "pnlInAndOut");
    setTabOrder(rdoOut, rdoIn);
    setTabOrder(rdoIn, rdoInAndOut);
}

bool TfrmMain::Say(const QString &Text, TMessageStyle Style)
{
    return FSession.Say(Text, Style);
}

bool TfrmMain::FormCreate()
{
    GuardFlag = 0;
    if (!Login())
        return false;
    if (!RunGuarded(this, [this] { SetupAfterLogin(); }))
        return false;
    BackUpDatabase();
    // Once the window shows: what is due is said over it, not over nothing.
    QMetaObject::invokeMethod(
        this, [this] { StartRecurring(); }, Qt::QueuedConnection);
    setMask(RoundedWindowRegion(2, 3, width() - 1, height() - 1, 26, 26));
    GuardFlag = 1;
    return true;
}

bool TfrmMain::Login()
{
    TfrmLogin login(this);
    // A store that cannot be opened is reported here; the dialog still
    // opens, so the user can read the message and leave.
    RunGuarded(&login, [&] { login.FormCreate(); });
    const int result = login.exec();
    CurrentUser = login.UserName;
    return result == QDialog::Accepted;
}

void TfrmMain::BackUpDatabase()
{
    // The copy runs beside the window; a failed copy is worth one warning,
    // never the session: the live database is only read. A lock held too
    // long by another program only moves the copy to the next start.
    auto *job = new TclsBackupJob(Database->DatabaseFile(), Clock::Today(), this);
    job->setObjectName(QStringLiteral("BackupJob"));
    connect(job, &QThread::finished, this, [this, job] {
        const TBackupResult backup = job->Result();
        job->deleteLater();
        if (backup.Damaged)
            Say(backup.Error, TMessageStyle::Error);
        else if (!backup.Error.isEmpty())
            Say(QStringLiteral("今天的数据库备份没有完成：\n%1\n\n您的数据没有受到影响，程序将继续运行。")
                    .arg(backup.Error),
                TMessageStyle::Warning);
    });
    job->start(QThread::LowPriority);
}

void TfrmMain::SetupAfterLogin()
{
    static const char *const Order[] = {
        "Out_Edit",  "Out_Add",   "Out_Delete",    "Out_Finish",    "In_Edit",         "In_Add",
        "In_Delete", "In_Finish", "InAndOut_View", "InAndOut_More", "InAndOut_Delete", "InAndOut_Modify"};
    qDeleteAll(FButtons);
    FButtons.clear();
    for (const char *key : Order) {
        const TShapePair pair = FPairs.value(QLatin1String(key));
        auto *button = new TclsButtonCreator(this);
        button->Attach(pair.Shape, pair.Label);
        button->OnButtonClick = [this](QObject *Sender) { ShapeButtonClick(Sender); };
        FButtons.insert(QLatin1String(key), button);
    }
    AppTitle = ApplicationTitle();
    SetRightAlignedText(lblUserName, QStringLiteral("当前用户：") + CurrentUser, 622);
    const QDate today = Clock::Today();
    FOut->Date->setDate(today);
    FIn->Date->setDate(today);
    FEntryDay = today;
    FBrowse->SetRange(QDate(today.year(), today.month(), 1), today);
    Database = std::make_unique<TclsDatabaseUser>();
    QStringList outNames, inNames;
    Database->GetProgramNames(CurrentUser, outNames, inNames);
    FOut->Name->clear();
    FOut->Name->addItems(outNames);
    FOut->Name->setCurrentIndex(-1);
    FIn->Name->clear();
    FIn->Name->addItems(inNames);
    FIn->Name->setCurrentIndex(-1);
    rdoOut->setChecked(true);
    SelectPanel(rdoOut);
}

TPanelHost TfrmMain::PanelHost()
{
    return {FSession,
            [this](QWidget *Host, const QString &Key, const QString &Caption, int X, int Y, int W, int H) {
                MakeShapePair(Host, Key, Caption, X, Y, W, H);
            },
            [this](const QString &Key, const std::function<void()> &Work) { WhileButtonBusy(Key, Work); }};
}

void TfrmMain::MakeShapePair(QWidget *Host, const QString &Key, const QString &Caption, int X, int Y, int W,
                             int H)
{
    auto *shape = new TShape(Host);
    shape->setObjectName(QStringLiteral("shp") + Key);
    shape->setGeometry(X, Y, W, H);
    auto *label = MakeLabel(Host, QStringLiteral("lbl") + Key, Caption, X, Y);
    label->move(X + (W - label->width()) / 2, Y + (H - label->height()) / 2);
    SetNormalButtonLook(shape, label);
    FPairs.insert(Key, {shape, label});
}

void TfrmMain::ShapeButtonClick(QObject *Sender)
{
    using TAction = void (*)(TfrmMain *);
    static const std::pair<const char *, TAction> Rows[] = {
        {"Out_Edit", [](TfrmMain *m) { m->Out_Edit(); }},
        {"Out_Add", [](TfrmMain *m) { m->Out_Add(); }},
        {"Out_Delete", [](TfrmMain *m) { m->Out_Delete(); }},
        {"Out_Finish", [](TfrmMain *m) { m->Out_Finish(); }},
        {"In_Edit", [](TfrmMain *m) { m->In_Edit(); }},
        {"In_Add", [](TfrmMain *m) { m->In_Add(); }},
        {"In_Delete", [](TfrmMain *m) { m->In_Delete(); }},
        {"In_Finish", [](TfrmMain *m) { m->In_Finish(); }},
        {"InAndOut_View", [](TfrmMain *m) { m->InAndOut_View(); }},
        {"InAndOut_More", [](TfrmMain *m) { m->InAndOut_More(); }},
        {"InAndOut_Delete", [](TfrmMain *m) { m->InAndOut_Delete(); }},
        {"InAndOut_Modify", [](TfrmMain *m) { m->InAndOut_Modify(); }},
    };
    const QString name = Sender ? Sender->objectName() : QString();
    for (const auto &[key, action] : Rows) {
        if (name == QStringLiteral("shp") + QLatin1String(key) ||
            name == QStringLiteral("lbl") + QLatin1String(key)) {
            RunGuarded(this, [&] { action(this); });
            return;
        }
    }
}

void TfrmMain::SelectPanel(QRadioButton *Sender)
{
    pnlOut->hide();
    pnlIn->hide();
    pnlInAndOut->hide();
    QApplication::processEvents();
    QThread::msleep(100);
    const QString caption = Sender->text();
    if (caption == QStringLiteral("支出记帐"))
        pnlOut->show();
    else if (caption == QStringLiteral("收入记帐"))
        pnlIn->show();
    else
        pnlInAndOut->show();
}

void TfrmMain::WhileButtonBusy(const QString &Key, const std::function<void()> &Work)
{
    TclsButtonCreator *button = Button(Key);
    button->SetEnabled(false);
    auto enable = qScopeGuard([button] { button->SetEnabled(true); });
    TclsWaitCursor wait;
    QApplication::processEvents();
    Work();
}

void TfrmMain::ddeServerExecuteMacro(const QStringList &Msg)
{
    if (GuardFlag != 1 || Msg.isEmpty())
        return;
    QString line = Msg.first();
    auto blank = [](QChar c) { return c.unicode() <= 32; };
    while (!line.isEmpty() && blank(line.front()))
        line.remove(0, 1);
    while (!line.isEmpty() && blank(line.back()))
        line.chop(1);
    if (line != QLatin1String("show"))
        return;
    if (ActiveDialog) {
        ActiveDialog->raise();
        ActiveDialog->activateWindow();
        return;
    }
    showNormal();
    raise();
    activateWindow();
    QApplication::processEvents();
    raise();
}

void TfrmMain::showEvent(QShowEvent *Event)
{
    QWidget::showEvent(Event);
    raise();
    activateWindow();
}

void TfrmMain::closeEvent(QCloseEvent *Event)
{
    // Pending rows are asked about panel by panel. A save that fails keeps
    // the window open, so the rows are not lost with it.
    for (TEntryPanel *panel : {FOut, FIn}) {
        if (panel->List->topLevelItemCount() == 0)
            continue;
        const QString question = panel->Expense ? QStringLiteral("您有支出记录没有保存，现在要保存吗？")
                                                : QStringLiteral("您有收入记录没有保存，现在要保存吗？");
        if (!Say(question, TMessageStyle::Question))
            continue;
        bool saved = false;
        RunGuarded(this, [&] { saved = panel->Finish(); });
        if (!saved) {
            Event->ignore();
            return;
        }
    }
    // The find window goes with the user's session, its search kept.
    if (FFind)
        FFind->close();
    Event->accept();
}

bool TfrmMain::CaptionButtonEvent(QObject *Watched, QEvent *Event)
{
    const bool minimize = Watched == shpMinimize || Watched == lblMinimize;
    const bool close = Watched == shpClose || Watched == lblClose;
    if (!minimize && !close)
        return false;
    if (Event->type() != QEvent::MouseButtonPress && Event->type() != QEvent::MouseButtonRelease)
        return false;
    if (static_cast<QMouseEvent *>(Event)->button() != Qt::LeftButton)
        return true;
    TShape *shape = minimize ? shpMinimize : shpClose;
    QLabel *label = minimize ? lblMinimize : lblClose;
    if (Event->type() == QEvent::MouseButtonPress) {
        SetTextColor(label, minimize ? Qt::white : QColor(Qt::red));
        shape->SetBrushColor(Gray);
        return true;
    }
    SetTextColor(label, minimize ? Gray : Maroon);
    shape->SetBrushColor(Qt::white);
    if (minimize)
        showMinimized();
    else
        this->close();
    return true;
}

bool TfrmMain::eventFilter(QObject *Watched, QEvent *Event)
{
    if (CaptionButtonEvent(Watched, Event))
        return true;
    return QWidget::eventFilter(Watched, Event);
}
