#include "AnsiCodec.h"
#include "QStringPrint.h"
#include "TaskFiles.h"
#include "TaskInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TTaskInfo task(int id, const QString &keyword)
{
    TTaskInfo record;
    record.FTaskID = id;
    record.FgoodsURL = QStringLiteral("http://item.example/i?id=%1&x=1").arg(id);
    record.FgoodsID = QStringLiteral("g%1").arg(id);
    record.FKeyword = keyword;
    record.FlowestPrice = QStringLiteral("1");
    return record;
}

class TaskFileTest : public ::testing::Test {
protected:
    void SetUp() override { setAnsiCodec(&gbk); }
    void TearDown() override { setAnsiCodec(nullptr); }

    AnsiCodec gbk{QByteArrayLiteral("GBK")};
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("task.json"));
};

TEST_F(TaskFileTest, ANewFileHoldsTheSectionAndTheFourKeysInTheCodePage)
{
    WriteTaskFile(path, task(7, QStringLiteral("连衣裙 女")));
    EXPECT_EQ(readAll(path), QByteArray("[taskinfo]\r\ntaskid=7\r\ngoodsurl=http://item.example/i?id=7&x=1\r\n"
                                        "goodsid=g7\r\nkeyword=")
                                 + gbk.encode(QStringLiteral("连衣裙 女")) + QByteArray("\r\n\r\n"));
    EXPECT_EQ(gbk.encode(QStringLiteral("连衣裙")).size(), 6) << "two bytes a character in GBK";
}

TEST_F(TaskFileTest, CharactersOutsideTheCodePageArriveReplaced)
{
    WriteTaskFile(path, task(8, QStringLiteral("裙\U0001F600x")));
    EXPECT_TRUE(readAll(path).endsWith(QByteArray(QByteArray("keyword=") + gbk.encode(QStringLiteral("裙")) + "?x\r\n\r\n")))
        << readAll(path).toHex().toStdString();
}

TEST_F(TaskFileTest, AnExistingFileKeepsItsOtherSectionsAndKeys)
{
    writeAll(path, QByteArray("; note\r\nstray=1\r\n[other]\r\na = 1\r\n\r\n[TaskInfo]\r\nKEYWORD=old\r\nextra=x\r\n"
                              "taskid=3\r\n[last]\r\nb=2\r\n"));
    WriteTaskFile(path, task(9, QStringLiteral("new")));
    EXPECT_EQ(readAll(path), QByteArray("[other]\r\na=1\r\n\r\n"
                                        "[TaskInfo]\r\nkeyword=new\r\nextra=x\r\ntaskid=9\r\n"
                                        "goodsurl=http://item.example/i?id=9&x=1\r\ngoodsid=g9\r\n\r\n"
                                        "[last]\r\nb=2\r\n\r\n"));
}

TEST_F(TaskFileTest, AUtf8FileWithByteOrderMarkStaysSo)
{
    writeAll(path, QByteArray("\xEF\xBB\xBF[taskinfo]\r\ntaskid=1\r\nkeyword=") + QStringLiteral("旧").toUtf8()
                       + QByteArray("\r\n"));
    WriteTaskFile(path, task(10, QStringLiteral("裙\U0001F600")));
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBF[taskinfo]\r\ntaskid=10\r\nkeyword=")
                                 + QStringLiteral("裙\U0001F600").toUtf8()
                                 + QByteArray("\r\ngoodsurl=http://item.example/i?id=10&x=1\r\ngoodsid=g10\r\n\r\n"));
}

TEST_F(TaskFileTest, LineBreaksInsideValuesCannotAddKeysOrSections)
{
    TTaskInfo record = task(11, QStringLiteral("a\r\n[taskinfo]\r\ntaskid=666\nb\rc"));
    record.FgoodsID = QStringLiteral("g\n[evil]");
    WriteTaskFile(path, record);
    EXPECT_EQ(readAll(path), QByteArray("[taskinfo]\r\ntaskid=11\r\ngoodsurl=http://item.example/i?id=11&x=1\r\n"
                                        "goodsid=g [evil]\r\nkeyword=a  [taskinfo]  taskid=666 b c\r\n\r\n"));
}

TEST_F(TaskFileTest, AFileThatCannotBeWrittenIsAnError)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("task.json")));
    EXPECT_THROW(WriteTaskFile(path, task(1, QStringLiteral("k"))), TaskFileError);
}

TEST(ResultFile, ReadsTaskAndStatusByItsRules)
{
    const struct {
        QByteArray bytes;
        int taskId;
        int status;
    } cases[] = {
        {"[taskinfo]\r\ntaskid=12\r\nstatus=1\r\n", 12, 1},
        {"[TASKINFO]\r\nTASKID=0x1F\r\nSTATUS=1\r\n", 31, 1},
        {"  [taskinfo]  \n  taskid  =  -5  \n status = 0X10 \n", -5, 16},
        {"[taskinfo]\r\n;taskid=9\r\nstatus=+2\r\n", 0, 2},
        {"[taskinfo]\r\ntaskid=abc\r\nstatus=1.5\r\n", 0, 0},
        {"[taskinfo]\r\ntaskid=0x\r\nstatus=99999999999\r\n", 0, 0},
        {"[other]\r\ntaskid=4\r\nstatus=1\r\n", 0, 0},
        {"taskid=4\r\nstatus=1\r\n", 0, 0},
        {"", 0, 0},
        {"[taskinfo]\r\ntaskid=6\r\n[taskinfo]\r\ntaskid=7\r\nstatus=3\r\n", 6, 0},
        {QByteArray("\xFF\xFE", 2) + QByteArray::fromRawData(reinterpret_cast<const char *>(u"[taskinfo]\r\ntaskid=21\r\nstatus=4\r\n"), 66),
         21, 4},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("result.json"));
    for (const auto &c : cases) {
        writeAll(path, c.bytes);
        const TaskResult result = ReadResultFile(path);
        EXPECT_EQ(result.taskId, c.taskId) << c.bytes.toStdString();
        EXPECT_EQ(result.status, c.status) << c.bytes.toStdString();
    }
    QFile::remove(path);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("result.json")));
    EXPECT_THROW(ReadResultFile(path), TaskFileError);
}

} // namespace
