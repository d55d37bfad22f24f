// How the program meets a Linux desktop: Qt's own texts in Chinese, the
// command line, its own look under a dark theme or a large desktop font,
// the drawn outline and shapes, the save dialog, the private lock folder and
// the file modes of a shared installation.
#include "app/unt_clsSingleInstance.h"
#include "app/unt_clsSkin.h"
#include "app/unt_clsStartup.h"
#include "app/unt_frmLogin.h"
#include "app/unt_frmMain.h"
#include "app/unt_frmSplash.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsDatabaseUser.h"
#include "panels/unt_clsButtonCreator.h"
#include "tests/support/unt_testGui.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsMessages.h"

#include <QAction>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The pixels of Widget's picture that have exactly Color.
int CountColor(QWidget *Widget, const QColor &Color)
{
    const QImage image = Widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += QColor(image.pixel(x, y)).rgb() == Color.rgb();
    return count;
}

// The darkest grey level in Widget's picture.
int Darkest(QWidget *Widget)
{
    const QImage image = Widget->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

QPalette DarkPalette()
{
    QPalette dark(QColor(0xEE, 0xEE, 0xEE), QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    return dark;
}

// The desktop turned dark with a 20-point face until the end of the scope.
class TDarkLargeDesktop
{
  public:
    TDarkLargeDesktop() : FPalette(QApplication::palette()), FFont(QApplication::font())
    {
        QFont large(QStringLiteral("DejaVu Sans"));
        large.setPointSize(20);
        QApplication::setPalette(DarkPalette());
        QApplication::setFont(large);
    }
    ~TDarkLargeDesktop()
    {
        QApplication::setPalette(FPalette);
        QApplication::setFont(FFont);
    }

  private:
    QPalette FPalette;
    QFont FFont;
};

mode_t ModeOf(const QString &Path)
{
    struct stat info {
    };
    ::stat(QFile::encodeName(Path).constData(), &info);
    return info.st_mode & 07777;
}

void TriggerMore(const TMainFixture &F, const char *Item)
{
    QAction *action = F.Main->MoreMenu()->findChild<QAction *>(QLatin1String(Item));
    QVERIFY(action);
    action->trigger();
}
} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
        QVERIFY(LoadQtTranslations());
    }

    void qtTextsAreChinese()
    {
        QMessageBox box(QMessageBox::Information, "t", "x", QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        auto *buttons = dialog.findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QPushButton *accept = buttons->button(QDialogButtonBox::Save);
        QVERIFY(accept);
        QCOMPARE(accept->text().remove(QRegularExpression("\\(&.\\)|&")), QStringLiteral("保存"));

        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList items;
        for (QAction *action : menu->actions())
            items << action->text();
        QVERIFY2(items.join(' ').contains(QStringLiteral("撤消")), qPrintable(items.join(' ')));
        QVERIFY2(items.join(' ').contains(QStringLiteral("全选")), qPrintable(items.join(' ')));
    }

    void commandLine()
    {
        using A = TCommandLine::TAction;
        QCOMPARE(ParseCommandLine({"lumora"}).Action, A::Run);
        QCOMPARE(ParseCommandLine({"lumora", "--version"}).Action, A::Version);
        QCOMPARE(ParseCommandLine({"lumora", "-h"}).Action, A::Help);
        QCOMPARE(ParseCommandLine({"lumora", "--nope", "--help"}).Action, A::Help);
        const TCommandLine unknown = ParseCommandLine({"lumora", "--nope"});
        QCOMPARE(unknown.Action, A::Error);
        QVERIFY(unknown.Text.contains(QStringLiteral("未知的选项“--nope”")));
        QCOMPARE(ParseCommandLine({"lumora", "file.txt"}).Action, A::Error);
        const TCommandLine restore = ParseCommandLine({"lumora", "--restore-books", "copy.sjk"});
        QCOMPARE(restore.Action, A::RestoreBooks);
        QCOMPARE(restore.Text, QStringLiteral("copy.sjk"));
        QCOMPARE(ParseCommandLine({"lumora", "--restore-books"}).Action, A::Error);
        QVERIFY(AsksForTextOnly({"lumora", "-platform", "x", "--version"}));
        QVERIFY(AsksForTextOnly({"lumora", "--nope"}));
        QVERIFY(!AsksForTextOnly({"lumora"}));
        // Qt's own options are Qt's to take; the rest is checked after that.
        QVERIFY(!AsksForTextOnly({"lumora", "-platform", "offscreen"}));
        QVERIFY(!AsksForTextOnly({"lumora", "--style=fusion", "--nope"}));

        // The real program answers without a display and without reaching a
        // copy that is already running.
        TclsSingleInstance running("PONDO_OneCopyMutex", "Lumora");
        QVERIFY(running.IsFirst());
        QVERIFY(running.Listen());
        QStringList received;
        connect(&running, &TclsSingleInstance::MacroReceived, this,
                [&](const QString &Text) { received << Text; });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        for (const auto &[option, expected] :
             {std::pair{"--version", "Lumora 1."}, std::pair{"--help", "用法：lumora [选项]"}}) {
            QProcess lumora;
            lumora.setProcessEnvironment(env);
            lumora.start(QStringLiteral(LUMORA_BINARY_DIR "/Lumora"), {QLatin1String(option)});
            QVERIFY(lumora.waitForFinished(10000));
            QCOMPARE(lumora.exitCode(), 0);
            QVERIFY2(
                QString::fromUtf8(lumora.readAllStandardOutput()).startsWith(QString::fromUtf8(expected)),
                option);
        }
        // Without a display as well as after Qt has taken its options.
        for (const QStringList &args :
             {QStringList{"--bogus"}, QStringList{"-platform", "offscreen", "--bogus"}}) {
            QProcess lumora;
            lumora.setProcessEnvironment(env);
            lumora.start(QStringLiteral(LUMORA_BINARY_DIR "/Lumora"), args);
            QVERIFY(lumora.waitForFinished(10000));
            QCOMPARE(lumora.exitStatus(), QProcess::NormalExit);
            QCOMPARE(lumora.exitCode(), 2);
            QVERIFY(QString::fromUtf8(lumora.readAllStandardError())
                        .contains(QStringLiteral("未知的选项“--bogus”")));
        }
        QTest::qWait(200);
        QVERIFY(received.isEmpty());
    }

    void wholeScaleFactors()
    {
        QCOMPARE(WholeScaleFactors("1.25"), QByteArray("1"));
        QCOMPARE(WholeScaleFactors("1.5"), QByteArray("2"));
        QCOMPARE(WholeScaleFactors("2"), QByteArray("2"));
        QCOMPARE(WholeScaleFactors("0.75"), QByteArray("1"));
        QCOMPARE(WholeScaleFactors("DP-1=1.25;HDMI-1=1.5"), QByteArray("DP-1=1;HDMI-1=2"));
        QCOMPARE(WholeScaleFactors("odd"), QByteArray("odd"));
    }

    // A second start passes the launcher's activation token on; the running
    // copy takes it for its next activation.
    void activationTokenTravels()
    {
        const QByteArray old = qgetenv("XDG_ACTIVATION_TOKEN");
        auto restore = qScopeGuard([&] { qputenv("XDG_ACTIVATION_TOKEN", old); });
        qunsetenv("XDG_ACTIVATION_TOKEN");
        QCOMPARE(ShowRequest(), QStringLiteral("show"));
        QVERIFY(!CannotRaiseRunningCopy()); // not under Wayland here
        qputenv("XDG_ACTIVATION_TOKEN", "abc-123");
        const QString request = ShowRequest();
        QCOMPARE(request.split('\n').value(0), QStringLiteral("show"));
        qunsetenv("XDG_ACTIVATION_TOKEN");
        TakeActivationToken(request.split('\n'));
        QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("abc-123"));
        TakeActivationToken({"show", "XDG_ACTIVATION_TOKEN="});
        QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("abc-123"));
    }

    // The skinned window keeps its white panels, dark texts and 12-pixel
    // face when the desktop turns dark or larger after start-up; a disabled
    // shape button's caption is greyed.
    void ownLookUnderDarkThemeAndLargeFont()
    {
        TMainFixture f;
        const TDarkLargeDesktop desktop;
        QApplication::processEvents();
        for (const char *name : {"lblOut_Date", "lblOut_Notice1", "lblUserName"}) {
            auto *label = f.Main->findChild<QLabel *>(QLatin1String(name));
            QVERIFY2(label, name);
            QVERIFY2(label->palette().color(QPalette::WindowText).lightness() < 80, name);
            QVERIFY2(Darkest(label) < 80, name);
            QCOMPARE(label->font().pixelSize(), 12);
        }
        auto *radio = f.Main->findChild<QRadioButton *>("rdoOut");
        QVERIFY(radio->palette().color(QPalette::WindowText).lightness() < 80);
        QCOMPARE(radio->font().pixelSize(), 12);

        QLabel *caption = f.Main->Button("Out_Finish")->Label();
        QVERIFY(Darkest(caption) < 60);
        f.Main->Button("Out_Finish")->SetEnabled(false);
        QVERIFY2(Darkest(caption) > 100, "a disabled caption is drawn greyed");
        f.Main->Button("Out_Finish")->SetEnabled(true);
        QVERIFY(Darkest(caption) < 60);
    }

    // The program's own dialogs keep the light look and 12-pixel face too,
    // open in the middle of the screen and offer no maximise button.
    void dialogsKeepTheirLook()
    {
        TMainFixture f;
        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "支出", {"2026-06-01", "2026-06-02"}, {"房租", "早饭"}, {"600.00", "30.00"},
                        {"", ""});
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 2));
        const TDarkLargeDesktop desktop;
        bool seen = false;
        TModalAnswerer answers;
        answers.OnDialog = [&](QWidget *Dialog) {
            seen = true;
            QCOMPARE(Dialog->objectName(), QStringLiteral("frmGetProgramTotal"));
            QVERIFY(Dialog->palette().color(QPalette::Window).lightness() > 200);
            QLabel *range = Dialog->findChild<QLabel *>("lblDate");
            QWidget *chart = Dialog->findChild<QWidget *>("chtTotal");
            QVERIFY(range && chart);
            QCOMPARE(range->font().pixelSize(), 12);
            QVERIFY(Darkest(range) < 100);
            // The legend is drawn black: its face must stay light.
            QVERIFY(chart->palette().color(QPalette::Window).lightness() > 200);
            QVERIFY(!Dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
            const QRect screen = Dialog->screen()->geometry();
            QVERIFY(qAbs(Dialog->geometry().center().x() - screen.center().x()) <= 2);
            SaveShot(Dialog, "desktop-dark-total");
            static_cast<QDialog *>(Dialog)->reject();
        };
        f.Main->ShowProgramTotal(QStringLiteral("支出"));
        QVERIFY(seen);
    }

    void applicationKeepsItsFont()
    {
        const QFont oldFont = QApplication::font();
        KeepProgramFont();
        QFont large(QStringLiteral("DejaVu Sans"));
        large.setPointSize(20);
        QApplication::setFont(large);
        QApplication::processEvents();
        QCOMPARE(QApplication::font().pixelSize(), 12);
        QCOMPARE(QApplication::font().family(), ProgramFont().family());
        QApplication::setFont(oldFont);
    }

    // An error box also leaves its text on standard error; a warning about
    // a typing slip does not.
    void errorsAlsoGoToStandardError()
    {
        QTemporaryFile capture;
        QVERIFY(capture.open());
        std::fflush(stderr);
        const int saved = ::dup(2);
        ::dup2(capture.handle(), 2);
        {
            TModalAnswerer answers;
            ShowMessage(nullptr, "Lumora", QStringLiteral("数据库文件已损坏"), TMessageStyle::Error);
            ShowMessage(nullptr, "Lumora", QStringLiteral("金额错误！请重新输入。"), TMessageStyle::Warning);
            QCOMPARE(answers.Seen.size(), 2);
        }
        // The login's start-up box on books it cannot open is one of them.
        QTemporaryDir missing;
        TclsDatabaseUser::SetDefaultDatabaseFile(missing.path() + "/pondo.sjk");
        {
            TModalAnswerer answers;
            TfrmLogin login;
            login.FormCreate();
            QCOMPARE(answers.Seen.size(), 1);
            QVERIFY(answers.Seen[0].Text.contains(QStringLiteral("恢复数据")));
        }
        TclsDatabaseUser::SetDefaultDatabaseFile(QString());
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        capture.seek(0);
        const QString text = QString::fromUtf8(capture.readAll());
        QVERIFY2(text.contains(QStringLiteral("lumora: 数据库文件已损坏")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("lumora: 无法打开数据库文件")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("金额错误")));
    }

    // The outline cuts (2,3)-(649,479) with the right and bottom edges
    // exclusive; the separator is a 593 x 2 silver bar at (29,86); the caption
    // glyphs are solid, not a faint smudge.
    void drawnGeometry()
    {
        const QRegion outline = RoundedWindowRegion(2, 3, 649, 479, 26, 26);
        QCOMPARE(outline.boundingRect(), QRect(2, 3, 647, 476));
        QVERIFY(outline.contains(QPoint(2, 240)) && outline.contains(QPoint(648, 240)));
        QVERIFY(outline.contains(QPoint(325, 3)) && outline.contains(QPoint(325, 478)));
        QVERIFY(!outline.contains(QPoint(2, 3)) && !outline.contains(QPoint(648, 478)));

        TMainFixture f;
        const QImage shot = f.Main->grab().toImage();
        const QRgb silver = qRgb(0xC0, 0xC0, 0xC0);
        for (const QPoint &p : {QPoint(29, 86), QPoint(621, 86), QPoint(29, 87), QPoint(621, 87)})
            QVERIFY2(shot.pixel(p) == silver, qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        for (const QPoint &p : {QPoint(28, 86), QPoint(622, 86), QPoint(100, 85), QPoint(100, 88)})
            QVERIFY2(shot.pixel(p) != silver, qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));

        QVERIFY(CountColor(f.Main->findChild<QLabel *>("lblMinimize"), QColor(0x80, 0x80, 0x80)) >= 6);
        QVERIFY(CountColor(f.Main->findChild<QLabel *>("lblClose"), QColor(0x80, 0x00, 0x00)) >= 10);
        SaveShot(f.Main.get(), "desktop-main");
    }

    // Only the left button starts moving the window; another button's
    // press is left to others, so no move is begun that nothing would end.
    void onlyLeftButtonDrags()
    {
        TMainFixture f;
        QWidget *skin = f.Main->findChild<QWidget *>("imgBackground");
        QVERIFY(skin);
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 20), skin->mapToGlobal(QPointF(300, 20)),
                              button, button, Qt::NoModifier);
            QApplication::sendEvent(skin, &press);
            QVERIFY(!press.isAccepted());
        }
    }

    void splashIsPaintedBeforeReturning()
    {
        TfrmSplash splash;
        QLabel *text = splash.findChild<QLabel *>("lblInformation");
        QVERIFY(text);
        int paints = 0;
        struct TCounter : QObject {
            int *Count;
            explicit TCounter(int *C) : Count(C) {}
            bool eventFilter(QObject *, QEvent *Event) override
            {
                *Count += Event->type() == QEvent::Paint;
                return false;
            }
        } counter(&paints);
        text->installEventFilter(&counter);
        splash.ShowPainted();
        QVERIFY(splash.windowHandle()->isExposed());
        QVERIFY(paints > 0);
    }

    // The first export opens in the documents folder with a name made of
    // the report and the range; later ones start in the last export's
    // folder; a name the user typed is kept; a blank or folder name writes
    // nothing.
    void saveDialogFolderAndName()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });
        QDir(home.path()).mkpath("Documents");
        QDir(home.path()).mkpath("elsewhere");

        TMainFixture f;
        QFileDialog *dialog = f.Main->SaveDialog();
        QCOMPARE(QFileInfo(dialog->directory().path()).canonicalFilePath(),
                 QFileInfo(home.path() + "/Documents").canonicalFilePath());
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2024, 3, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2024, 3, 31));
        QCOMPARE(SuggestedExportName(false, QDate(2024, 3, 1), QDate(2024, 3, 31)),
                 QStringLiteral("收支明细_2024-03-01至2024-03-31"));

        auto exportAs = [&](const char *Item, const QString &Typed, QString *Offered) {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) {
                auto *d = qobject_cast<QFileDialog *>(w);
                if (d && Offered)
                    *Offered = d->findChild<QLineEdit *>("fileNameEdit")->text();
                AnswerSaveDialog(w, Typed);
            };
            TriggerMore(f, Item);
            return answers.Texts();
        };
        QString offered;
        const QString first =
            home.path() + "/elsewhere/" + SuggestedExportName(false, QDate(2024, 3, 1), QDate(2024, 3, 31));
        QCOMPARE(exportAs("mnuInAndOut_More_SaveAsTxt_1", first + ".txt", &offered).size(), 1);
        QCOMPARE(offered, QStringLiteral("收支明细_2024-03-01至2024-03-31.txt"));
        QVERIFY(QFile::exists(first + ".txt"));
        QCOMPARE(QFileInfo(dialog->directory().path()).canonicalFilePath(),
                 QFileInfo(home.path() + "/elsewhere").canonicalFilePath());

        // The suggestion follows the range while the user keeps taking it.
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2024, 4, 30));
        QCOMPARE(
            exportAs("mnuInAndOut_More_SaveAsTxt_2", home.path() + "/elsewhere/mine.txt", &offered).size(),
            1);
        QCOMPARE(offered, QStringLiteral("收支明细(格式Ⅱ)_2024-03-01至2024-04-30.txt"));
        QVERIFY(QFile::exists(home.path() + "/elsewhere/mine.txt"));
        // A name of the user's own is not replaced by a suggestion.
        offered.clear();
        TModalAnswerer answers;
        answers.OnDialog = [&](QWidget *w) {
            offered = w->findChild<QLineEdit *>("fileNameEdit")->text();
            static_cast<QDialog *>(w)->reject();
        };
        TriggerMore(f, "mnuInAndOut_More_SaveAsTxt_1");
        QVERIFY2(!offered.contains(QStringLiteral("收支明细")), qPrintable(offered));

        // Blank names and folder names: nothing written, nothing said.
        const QStringList before = QDir(home.path() + "/elsewhere").entryList(QDir::Files);
        QVERIFY(exportAs("mnuInAndOut_More_SaveAsTxt_1", home.path() + "/elsewhere/   ", nullptr).isEmpty());
        QVERIFY(exportAs("mnuInAndOut_More_SaveAsTxt_1", home.path() + "/elsewhere", nullptr).isEmpty());
        QVERIFY(exportAs("mnuInAndOut_More_SaveAsExcel_1", home.path() + "/Documents", nullptr).isEmpty());
        QCOMPARE(QDir(home.path() + "/elsewhere").entryList(QDir::Files), before);
        QVERIFY(QDir(home.path() + "/Documents").entryList(QDir::Files).isEmpty());
    }

    // With no XDG_RUNTIME_DIR, the lock goes into a folder under the
    // user's home, which only the user can have made: a folder planted in
    // /tmp by another account changes nothing. One there that is not the
    // user's stops the start with a reason instead of a silent exit.
    void lockFolderIsPrivate()
    {
        if (::geteuid() != 0)
            QSKIP("planting another account's folder needs root");
        QTemporaryDir tmp, home;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTmp = qgetenv("TMPDIR"),
                         oldHome = qgetenv("HOME"), oldCache = qgetenv("XDG_CACHE_HOME");
        auto restore = qScopeGuard([&] {
            qputenv("XDG_RUNTIME_DIR", oldRuntime);
            qputenv("TMPDIR", oldTmp);
            qputenv("HOME", oldHome);
            if (oldCache.isEmpty())
                qunsetenv("XDG_CACHE_HOME");
            else
                qputenv("XDG_CACHE_HOME", oldCache);
        });
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_CACHE_HOME");
        qputenv("TMPDIR", tmp.path().toUtf8());
        qputenv("HOME", home.path().toUtf8());
        const QString planted = tmp.path() + "/runtime-root";
        QVERIFY(QDir().mkdir(planted));
        QVERIFY(::chmod(QFile::encodeName(planted).constData(), 0700) == 0);
        QVERIFY(::chown(QFile::encodeName(planted).constData(), 65534, 65534) == 0);
        const QString own = home.path() + "/.cache/lumora";
        {
            TclsSingleInstance instance("PONDO_OneCopyMutex", "LumoraTest");
            QVERIFY2(instance.Usable(), qPrintable(instance.Problem()));
            QVERIFY(instance.IsFirst());
            QCOMPARE(TclsSingleInstance::RuntimeDir(), own);
            QCOMPARE(ModeOf(own), mode_t(0700));
        }
        QVERIFY(QDir(planted).entryList(QDir::Files).isEmpty());
        QVERIFY(::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        TclsSingleInstance instance("PONDO_OneCopyMutex", "LumoraTest");
        QVERIFY(!instance.Usable());
        QVERIFY(!instance.IsFirst());
        QVERIFY(instance.Problem().contains(QStringLiteral("运行文件夹")));
        QVERIFY(instance.Problem().contains(own));
    }

    // The books' own mode goes to a new backup folder and its copies, under
    // any umask: the household's group shares them, other accounts do not.
    void sharedFileModes()
    {
        TTestDb db;
        const mode_t old = ::umask(022);
        auto restore = qScopeGuard([old] { ::umask(old); });
        QVERIFY(::chmod(QFile::encodeName(db.Dir()).constData(), 0770) == 0);
        QVERIFY(::chmod(QFile::encodeName(db.File()).constData(), 0660) == 0);
        const TBackupResult backup = MakeDailyBackup(db.File(), QDate(2026, 1, 2));
        QVERIFY2(backup.Made, qPrintable(backup.Error));
        const QString folder = BackupFolder(db.File());
        QCOMPARE(ModeOf(folder) & 0777, mode_t(0770));
        QCOMPARE(ModeOf(folder + "/pondo-2026-01-02.sjk"), mode_t(0660));
    }
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
