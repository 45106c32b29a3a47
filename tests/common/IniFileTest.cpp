#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
{
    return QStringEncoder(encoding)(text);
}

// A file as people leave them: text before the first section, comments, blank lines, blanks
// around '=', mixed line ends.
const QString kMessyText = QStringLiteral("stray=1\r\n"
                                          "; comment\r\n"
                                          "[other]\n"
                                          "  a = 1  \r\n"
                                          "\r\n"
                                          "flag\r"
                                          "[login]\r\n"
                                          "username=老王\r\n"
                                          ";userpass=old\r\n"
                                          "\t\r\n"
                                          "[last]\r\n"
                                          "z=中");

// What the file becomes after userpass is set in "login".
const QString kRewrittenText = QStringLiteral("[other]\r\n"
                                              "a=1\r\n"
                                              "flag\r\n"
                                              "\r\n"
                                              "[login]\r\n"
                                              "username=老王\r\n"
                                              "userpass=秘密 \r\n"
                                              "\r\n"
                                              "[last]\r\n"
                                              "z=中\r\n"
                                              "\r\n");

} // namespace

TEST(IniFile, RewriteKeepsEncodingAndSectionsAndDropsCommentsAndBlankLines)
{
    struct Case {
        const char *name;
        QByteArray bom;
        std::function<QByteArray(const QString &)> encode;
        IniFile::Encoding encoding;
    };
    const AnsiCodec gbk("GBK");
    const Case cases[] = {
        {"ansi", {}, [&](const QString &t) { return gbk.encode(t); }, IniFile::Encoding::Ansi},
        {"utf8", "\xEF\xBB\xBF", [](const QString &t) { return t.toUtf8(); }, IniFile::Encoding::Utf8Bom},
        {"utf16le", "\xFF\xFE", [](const QString &t) { return utf16(t, QStringEncoder::Utf16LE); },
         IniFile::Encoding::Utf16LE},
        {"utf16be", "\xFE\xFF", [](const QString &t) { return utf16(t, QStringEncoder::Utf16BE); },
         IniFile::Encoding::Utf16BE},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(writeAll(path, c.bom + c.encode(kMessyText)));

        IniFile ini;
        ASSERT_TRUE(ini.load(path, gbk));
        EXPECT_EQ(ini.encoding(), c.encoding);
        EXPECT_EQ(ini.sections(), (QStringList{QStringLiteral("other"), QStringLiteral("login"), QStringLiteral("last")}));
        EXPECT_EQ(ini.value(QStringLiteral("login"), QStringLiteral("username")), QStringLiteral("老王"));
        EXPECT_EQ(ini.value(QStringLiteral("login"), QStringLiteral("userpass"), QStringLiteral("none")),
                  QStringLiteral("none"));

        ini.setValue(QStringLiteral("login"), QStringLiteral("userpass"), QStringLiteral("秘密 "));
        ASSERT_TRUE(ini.save());
        EXPECT_EQ(readAll(path), c.bom + c.encode(kRewrittenText));
    }
}

TEST(IniFile, NewFileIsAnsiWithoutBomAndReplacesWhatTheCodePageCannotHold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("task.json"));
    IniFile ini;
    ASSERT_TRUE(ini.load(path, AnsiCodec("GBK")));
    EXPECT_TRUE(ini.sections().isEmpty());
    ini.setValue(QStringLiteral("taskinfo"), QStringLiteral("taskid"), QStringLiteral("7"));
    ini.setValue(QStringLiteral("taskinfo"), QStringLiteral("keyword"), QStringLiteral("连衣裙\u1234"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path), QByteArray("[taskinfo]\r\ntaskid=7\r\nkeyword=\xC1\xAC\xD2\xC2\xC8\xB9?\r\n\r\n"));
}

TEST(IniFile, LookupFollowsThePlatformRules)
{
    IniFile ini;
    ini.fromBytes("[TaskInfo]\r\n"
                  "TaskID = 0x1F\r\n"
                  "taskid=2\r\n"
                  "url= http://a/?x=1&y=2 \r\n"
                  "bare\r\n"
                  "[taskinfo]\r\n"
                  "status=9\r\n"
                  "[ spaced ]\r\n"
                  "k=\r\n");
    struct Case {
        const char *section;
        const char *key;
        const char *expected;
    };
    const Case cases[] = {
        {"taskinfo", "taskid", "0x1F"},     // names ignore case; the first equal key wins
        {"TASKINFO", "URL", "http://a/?x=1&y=2"}, // the value is everything after the first '='
        {"taskinfo", "status", "<none>"},   // a repeated section is never looked up
        {"taskinfo", "bare", "<none>"},     // a line without '=' is no key
        {"spaced", "k", ""},
        {"missing", "k", "<none>"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ini.value(QString::fromLatin1(c.section), QString::fromLatin1(c.key), QStringLiteral("<none>")),
                  QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
    // Both sections of the same name are written back.
    EXPECT_EQ(ini.sections(),
              (QStringList{QStringLiteral("TaskInfo"), QStringLiteral("taskinfo"), QStringLiteral("spaced")}));

    ini.setValue(QStringLiteral("TASKINFO"), QStringLiteral("TASKID"), QStringLiteral("5"));
    EXPECT_EQ(ini.lines(QStringLiteral("taskinfo")),
              (QStringList{QStringLiteral("TASKID=5"), QStringLiteral("taskid=2"),
                           QStringLiteral("url=http://a/?x=1&y=2"), QStringLiteral("bare")}));
}

TEST(IniFile, IntegerValues)
{
    struct Case {
        const char *text;
        int expected;
    };
    const Case cases[] = {
        {"31", 31},          {"-5", -5},           {"+7", 7},          {"0x1F", 31},
        {"0X1f", 31},        {"0xFFFFFFFF", -1},   {"0x", -99},        {"0x1G", -99},
        {"12a", -99},        {"", -99},            {"-", -99},         {"2147483647", 2147483647},
        {"2147483648", -99}, {"0x100000000", -99}, {"1 2", -99},       {"٣", -99},
    };
    for (const Case &c : cases) {
        IniFile ini;
        ini.setValue(QStringLiteral("taskinfo"), QStringLiteral("status"), QString::fromUtf8(c.text));
        EXPECT_EQ(ini.intValue(QStringLiteral("taskinfo"), QStringLiteral("status"), -99), c.expected) << c.text;
    }
    IniFile empty;
    EXPECT_EQ(empty.intValue(QStringLiteral("taskinfo"), QStringLiteral("taskid"), 0), 0);
}

TEST(IniFile, UnreadableFileAndFailedWriteAreReported)
{
    QTemporaryDir dir;
    IniFile folder;
    EXPECT_FALSE(folder.load(dir.path(), AnsiCodec()));

    IniFile nowhere;
    ASSERT_TRUE(nowhere.load(dir.filePath(QStringLiteral("missing/sub/file.ini")), AnsiCodec()));
    nowhere.setValue(QStringLiteral("login"), QStringLiteral("username"), QStringLiteral("a"));
    EXPECT_FALSE(nowhere.save());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing/sub/file.ini"))));
}
