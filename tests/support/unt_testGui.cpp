#include "tests/support/unt_testGui.h"

#include "ui/unt_clsMessages.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>

// The newest answerer alive is the one that answers.
static QList<TModalAnswerer *> Answerers;

TModalAnswerer::TModalAnswerer(QList<QMessageBox::StandardButton> Answers) : FAnswers(std::move(Answers))
{
    Answerers << this;
    connect(&FTimer, &QTimer::timeout, this, &TModalAnswerer::Poll);
    FTimer.start(5);
}

TModalAnswerer::~TModalAnswerer()
{
    Answerers.removeAll(this);
}

QStringList TModalAnswerer::Texts() const
{
    QStringList texts;
    for (const auto &seen : Seen)
        texts << seen.Text;
    return texts;
}

void TModalAnswerer::Poll()
{
    if (Answerers.isEmpty() || Answerers.last() != this)
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    for (const auto &done : FHandled)
        if (done == modal)
            return;
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        FHandled << box;
        Seen << TSeenBox{box->windowTitle(), box->text(), box->icon()};
        QAbstractButton *button = nullptr;
        if (!FAnswers.isEmpty())
            button = box->button(FAnswers.takeFirst());
        if (!button)
            button = box->defaultButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        return;
    }
    if (OnDialog) {
        FHandled << modal;
        OnDialog(modal);
    }
}

void ApplyTestFont()
{
    ApplyProgramFont();
}

QString SaveShot(QWidget *Widget, const QString &Name)
{
    const QString dir = QStringLiteral(LUMORA_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    const QString file = dir + QLatin1Char('/') + Name + QStringLiteral(".png");
    Widget->grab().save(file);
    return file;
}

#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsConnection.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

TMainFixture::TMainFixture(const QString &UserName) : User(UserName)
{
    TclsConnection::SetBusyTimeout(200);
    TclsDatabaseUser::SetDefaultDatabaseFile(Db.File());
    TclsDatabaseUser store(Db.File());
    store.AddUser(User, QStringLiteral("pw"));
    Main = std::make_unique<TfrmMain>();
    Main->CurrentUser = User;
    Main->SetupAfterLogin();
    Main->GuardFlag = 1;
    Main->show();
    if (!QTest::qWaitForWindowExposed(Main.get()))
        qWarning("main window not exposed");
}

TMainFixture::~TMainFixture()
{
    Main.reset();
    TclsDatabaseUser::SetDefaultDatabaseFile(QString());
}

template <class T> T *TMainFixture::Find(const QString &Name) const
{
    T *found = Main->findChild<T *>(Name);
    if (!found)
        qFatal("no control %s", qPrintable(Name));
    return found;
}

void TMainFixture::Click(const QString &Key) const
{
    QLabel *label = Find<QLabel>(QStringLiteral("lbl") + Key);
    QTest::mouseClick(label, Qt::LeftButton);
}

void UsePrivateRuntimeDir()
{
    static QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    // Window sizes kept by one test never reach the desktop's own settings.
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
}

template QLabel *TMainFixture::Find<QLabel>(const QString &) const;
template QComboBox *TMainFixture::Find<QComboBox>(const QString &) const;
template QDateEdit *TMainFixture::Find<QDateEdit>(const QString &) const;
template QLineEdit *TMainFixture::Find<QLineEdit>(const QString &) const;
template QPlainTextEdit *TMainFixture::Find<QPlainTextEdit>(const QString &) const;
template QTreeWidget *TMainFixture::Find<QTreeWidget>(const QString &) const;
template QTreeView *TMainFixture::Find<QTreeView>(const QString &) const;
template QWidget *TMainFixture::Find<QWidget>(const QString &) const;

#include <QFileDialog>
#include <QLineEdit>

void AnswerSaveDialog(QWidget *Dialog, const QString &File)
{
    auto *dialog = qobject_cast<QFileDialog *>(Dialog);
    if (!dialog) {
        Dialog->close();
        return;
    }
    // Typed as a user would: the folder listing fills in asynchronously and
    // would take back a name given through selectFile().
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(File);
    if (dialog->selectedFiles().value(0) != File)
        qWarning() << "save dialog chose" << dialog->selectedFiles() << "for" << File;
    // done() rather than accept(): accept() waits for the folder listing.
    static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
}
