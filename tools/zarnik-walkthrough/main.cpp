// zarnik-walkthrough: the road of one task without a person, with the program's own timings.
// Member A acts through zarnik-call, member B is the client built in this process against the
// compiled-in service endpoint. Prints each step as it happens; exit status 0 when every check
// held, 1 when one failed, 64 for bad usage.
#include "Endpoints.h"
#include "Walkthrough.h"
#include "ZarnikApplication.h"

#include <QDir>
#include <QStringList>

#include <cstdio>
#include <map>

namespace {

const char kUsage[] =
    "usage: zarnik-walkthrough --run-dir DIR --zarnik-call PROGRAM --listener-log FILE --screenshots DIR\n"
    "                          --member-a NAME:PASS --member-b NAME:PASS\n"
    "DIR holds CCleaner.exe and web.exe and is member B's program and current folder; the pipe\n"
    "listener must listen in this process's temp folder (TMPDIR) and print to FILE.\n";

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

std::optional<WalkthroughSetup::Member> member(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == text.size() - 1)
        return std::nullopt;
    return WalkthroughSetup::Member{text.left(colon), text.mid(colon + 1)};
}

QString folder(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath()) + QLatin1Char('/');
}

} // namespace

int main(int argc, char **argv)
{
    ZarnikApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    std::map<QString, QString> options;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2)
        options[arguments[i]] = arguments[i + 1];
    const std::optional<WalkthroughSetup::Member> memberA = member(options[QStringLiteral("--member-a")]);
    const std::optional<WalkthroughSetup::Member> memberB = member(options[QStringLiteral("--member-b")]);
    const QString runDir = options[QStringLiteral("--run-dir")];
    if (arguments.size() % 2 == 0 || options.size() != 6 || !memberA || !memberB || runDir.isEmpty()
        || options[QStringLiteral("--zarnik-call")].isEmpty() || options[QStringLiteral("--listener-log")].isEmpty()
        || options[QStringLiteral("--screenshots")].isEmpty()) {
        std::fputs(kUsage, stderr);
        return 64;
    }

    WalkthroughSetup setup;
    setup.zarnikCall = options[QStringLiteral("--zarnik-call")];
    setup.apiHost = ApiHost();
    setup.apiPort = ApiPort();
    setup.paths.exeDir = folder(runDir);
    setup.paths.exeFile = setup.paths.exeDir + QStringLiteral("zarnik");
    setup.paths.currentDir = setup.paths.exeDir;
    setup.paths.tempDir = folder(QDir::tempPath());
    setup.screenshotDir = QDir(options[QStringLiteral("--screenshots")]).absolutePath();
    setup.listenerLog = options[QStringLiteral("--listener-log")];
    setup.memberA = *memberA;
    setup.memberB = *memberB;
    setup.print = printLine;

    bool bAllHeld = true;
    const auto check = [&bAllHeld](bool bHeld, const QString &what) {
        printLine(QStringLiteral("%1 %2").arg(bHeld ? QStringLiteral("  [ok]") : QStringLiteral("  [FAILED]"), what));
        bAllHeld = bAllHeld && bHeld;
        return bHeld;
    };

    printLine(QStringLiteral("Service: %1:%2; member B's folder: %3").arg(setup.apiHost).arg(setup.apiPort).arg(runDir));
    Walkthrough walk(setup);
    const std::optional<int> taskId =
        walk.MemberAAddsTask(QStringLiteral("紫砂茶壶"), QStringLiteral("https://item.taobao.com/item.htm?id=560001"),
                             QStringLiteral("560001"), 5);
    if (!check(taskId.has_value(), QStringLiteral("member A added a task")))
        return 1;
    if (!check(walk.MemberBSignsIn(), QStringLiteral("member B signed in; his lists are loaded")))
        return 1;
    check(walk.Pool().contains(*taskId), QStringLiteral("A's new task is in B's pool"));
    check(!walk.ListenerSummaries().isEmpty(), QStringLiteral("B's own-list summary reached the pipe listener"));
    if (!check(walk.MemberBStartsWork(), QStringLiteral("the warning was shown and answered")))
        return 1;
    const std::optional<int> cycles = walk.WorkUntilPoolEnds();
    check(cycles.value_or(0) >= 1, QStringLiteral("the work cycle ran to the end of the pool"));

    const std::optional<QList<OwnTask>> ownList = walk.MemberAReadsOwnList();
    int visits = -1;
    for (const OwnTask &task : ownList.value_or(QList<OwnTask>()))
        visits = task.taskId == *taskId ? task.hasClickCount : visits;
    check(visits == 1, QStringLiteral("the service counted one visit of A's task (HasClickCount %1)").arg(visits));

    const std::optional<int> exitCode = walk.ExitFlow();
    check(exitCode == 0, QStringLiteral("the exit flow ended with code 0"));

    const std::optional<std::vector<VisitRow>> rows = walk.VisitHistory();
    int rowsOfTask = 0;
    for (const VisitRow &row : rows.value_or(std::vector<VisitRow>()))
        rowsOfTask += row.taskId == *taskId ? 1 : 0;
    check(rowsOfTask == 1, QStringLiteral("B's db/data.db holds the visit of A's task"));

    printLine(QStringLiteral("Pictures of each step: %1").arg(setup.screenshotDir));
    printLine(bAllHeld ? QStringLiteral("The walkthrough succeeded.") : QStringLiteral("The walkthrough FAILED."));
    return bAllHeld ? 0 : 1;
}
