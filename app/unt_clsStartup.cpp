#include "app/unt_clsStartup.h"

#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsConnection.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsMessages.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

TCommandLine ParseCommandLine(const QStringList &Args)
{
    using TAction = TCommandLine::TAction;
    TCommandLine result;
    for (qsizetype i = 1; i < Args.size(); ++i) {
        const QString &arg = Args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return {TAction::Help, HelpText()};
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            result = {TAction::Version, VersionText()};
            continue;
        }
        if (result.Action == TAction::Error)
            continue;
        if (arg == QLatin1String("--restore-books")) {
            if (i + 1 >= Args.size() || Args[i + 1].isEmpty())
                result = {
                    TAction::Error,
                    QStringLiteral(
                        "lumora：--restore-books 后面要写备份文件的路径\n可用的选项请见 lumora --help\n")};
            else
                result = {TAction::RestoreBooks, Args[++i]};
            continue;
        }
        const QString what =
            arg.startsWith(QLatin1Char('-')) ? QStringLiteral("未知的选项") : QStringLiteral("多余的参数");
        result = {TAction::Error,
                  QStringLiteral("lumora：%1“%2”\n可用的选项请见 lumora --help\n").arg(what, arg)};
    }
    return result;
}

bool AsksForTextOnly(const QStringList &Args)
{
    // The options QApplication and its X11 and Wayland plugins read.
    static const QStringList QtOptions = {"platform",
                                          "platformpluginpath",
                                          "platformtheme",
                                          "plugin",
                                          "qwindowgeometry",
                                          "qwindowtitle",
                                          "qwindowicon",
                                          "style",
                                          "stylesheet",
                                          "session",
                                          "display",
                                          "name",
                                          "title",
                                          "geometry",
                                          "reverse",
                                          "widgetcount",
                                          "nograb",
                                          "dograb",
                                          "sync",
                                          "qmljsdebugger",
                                          "fn",
                                          "font",
                                          "bg",
                                          "background",
                                          "fg",
                                          "foreground",
                                          "btn",
                                          "button",
                                          "im",
                                          "inputstyle",
                                          "visual",
                                          "ncols",
                                          "cmap"};
    const TCommandLine::TAction action = ParseCommandLine(Args).Action;
    for (const QString &arg : Args.mid(1)) {
        QString name = arg.section(QLatin1Char('='), 0, 0);
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        // Qt takes its options out later; until then they look unknown.
        if (arg.startsWith(QLatin1Char('-')) && QtOptions.contains(name))
            return action == TCommandLine::TAction::Help || Args.contains(QLatin1String("--version")) ||
                   Args.contains(QLatin1String("-v"));
    }
    return action != TCommandLine::TAction::Run;
}

QString VersionText()
{
    return QStringLiteral("Lumora %1\n").arg(QStringLiteral(LUMORA_VERSION));
}

QString HelpText()
{
    return QStringLiteral("用法：lumora [选项]\n"
                          "Lumora 家庭记账：记录每天的支出和收入，按日期浏览、统计、打印和导出。\n"
                          "\n"
                          "选项：\n"
                          "  -h, --help       显示本帮助后退出\n"
                          "  -v, --version    显示版本号后退出\n"
                          "  --restore-books 备份文件\n"
                          "                   用备份替换整个账本（只能由账本的所有者或 root 运行），\n"
                          "                   原来的账本保存在 Database/backup/ 中\n"
                          "\n"
                          "账本保存在程序所在文件夹的 Database/pondo.sjk 中，"
                          "每天第一次登录时备份到 Database/backup/。\n"
                          "每个用户同时只运行一份；再次启动会把已运行的一份调到前面。\n");
}

namespace
{
const QLatin1String TokenKey("XDG_ACTIVATION_TOKEN=");
}

QString ShowRequest()
{
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return token.isEmpty() ? QStringLiteral("show") : QStringLiteral("show\n") + TokenKey + token;
}

void TakeActivationToken(const QStringList &Lines)
{
    for (const QString &line : Lines.mid(1))
        if (line.startsWith(TokenKey) && line.size() > TokenKey.size())
            qputenv("XDG_ACTIVATION_TOKEN", line.mid(TokenKey.size()).toUtf8());
}

bool CannotRaiseRunningCopy()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
           qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN");
}

QByteArray WholeScaleFactors(const QByteArray &Factors)
{
    QList<QByteArray> parts = Factors.split(';');
    for (QByteArray &part : parts) {
        const qsizetype equals = part.indexOf('=');
        bool ok = false;
        const double factor = part.mid(equals + 1).trimmed().toDouble(&ok);
        if (!ok || factor <= 0)
            continue;
        part = part.left(equals + 1) + QByteArray::number(qMax(1, qRound(factor)));
    }
    return parts.join(';');
}

void UseWholeScaleFactors()
{
    for (const char *name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"})
        if (qEnvironmentVariableIsSet(name))
            qputenv(name, WholeScaleFactors(qgetenv(name)));
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
}

bool LoadQtTranslations()
{
    // The whole program speaks Chinese, so Qt's own words must too, even
    // under an English or C locale.
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    if (!translator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

void SetUpApplication()
{
    // No display name: Qt would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setApplicationVersion(QStringLiteral(LUMORA_VERSION));
    // Lets Wayland compositors and docks match the window to lumora.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("lumora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/gui/lumora.svg")));
    LoadQtTranslations();
    ApplyProgramFont();
    KeepProgramFont();
}

int RestoreBooksCommand(const QString &Copy)
{
    const QString books = TclsDatabaseUser::DefaultDatabaseFile();
    try {
        const TRestoreResult result = RestoreWholeBooksAsAdmin(books, Copy);
        const QString text =
            QStringLiteral("lumora：数据库“%1”已整个恢复到 %2 的备份。\n原来的数据库文件保存为“%3”。"
                           "每个用户下次登录时都会得到通知。\n")
                .arg(QDir::toNativeSeparators(books),
                     result.TakenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                     result.Replaced.isEmpty() ? QStringLiteral("（无）")
                                               : QDir::toNativeSeparators(result.Replaced));
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    } catch (const std::exception &error) {
        std::fputs((QStringLiteral("lumora：") + QString::fromUtf8(error.what()) + QLatin1Char('\n'))
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return 1;
    }
}
