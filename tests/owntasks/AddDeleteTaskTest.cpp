#include "OwnTasksFixture.h"

#include "AddModifyTaskForm.h"
#include "ChannelSettings.h"
#include "Endpoints.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct Input {
    QString keyword, url, id, count;
};

void fill(TfrmAddModifyTask &form, const Input &input)
{
    form.edt_Keyword->setText(input.keyword);
    form.edt_goodsURL->setText(input.url);
    form.edt_goodsID->setText(input.id);
    form.edt_TotalClickCount->setText(input.count);
}

const Input kGoodInput{u"  连衣裙 夏 "_s, u" http://item.taobao.com/item.htm?id=8&a=b "_s, u"\t8\t"_s, u" 020 "_s};

// Answers the delete question after running a step, as a timer firing during the question would.
class QuestionHook : public RecordingMessageBoxes {
public:
    std::function<void()> duringQuestion;

    Answer show(QWidget *parent, const QString &text, const QString &title, Icon icon, Buttons buttons) override
    {
        if (buttons == Buttons::YesNo && duringQuestion)
            duringQuestion();
        return RecordingMessageBoxes::show(parent, text, title, icon, buttons);
    }
};

} // namespace

class AddTaskTest : public OwnTasksFixture {
protected:
    std::unique_ptr<TfrmAddModifyTask> openForm(bool bModify = false)
    {
        auto form = std::make_unique<TfrmAddModifyTask>(&mainWindow, bModify, nullptr);
        form->show();
        return form;
    }
};

TEST_F(AddTaskTest, SuccessSendsTheTrimmedFieldsThenReloadsOnceAndCloses)
{
    answer(u"addtask"_s, ReplyBody(1, u"\"ok\""_s));
    auto form = openForm();
    fill(*form, kGoodInput);
    form->btn_OK->click();

    const auto requests = requestsFor(u"addtask"_s);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].body.endsWith(
        "&action=addtask&keyword=%E8%BF%9E%E8%A1%A3%E8%A3%99+%E5%A4%8F"
        "&goodsurl=http%3A%2F%2Fitem.taobao.com%2Fitem.htm%3Fid%3D8%26a%3Db&goodsid=8&totalclickcount=20"))
        << requests[0].body.constData();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, u"任务添加成功！"_s);
    EXPECT_EQ(boxes.boxes()[0].title, u"提示"_s);
    EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Information);
    EXPECT_EQ(boxes.boxes()[0].parent, form.get());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    deliverPostedEvents();
    EXPECT_EQ(mainWindow.refreshPosts, 1);
}

TEST_F(AddTaskTest, FailuresKeepTheWindowOpenWithTheInput)
{
    struct Case {
        const char *name;
        int status;
        QByteArray body;
        QString boxText; // prefix; empty: no box
        QString boxTitle;
    };
    const Case cases[] = {
        {"channel failure", 500, QByteArray(), u"任务添加失败，请稍后再试！"_s, u"错误"_s},
        {"refusal", 200, ReplyBody(0, u"\"exists\""_s), u"任务添加失败"_s, u"提示"_s},
        {"refusal with a number", 200, ReplyBody(2, u"17"_s), u"任务添加失败"_s, u"提示"_s},
        {"unreadable reply", 200, QByteArray("{\"retcode\":1}"), QString(), QString()},
        {"retmsg neither string nor number", 200, ReplyBody(1, u"[]"_s), QString(), QString()},
    };
    auto form = openForm();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        TestHttpServer::Reply reply;
        reply.status = c.status;
        reply.body = c.body;
        answer(u"addtask"_s, reply);
        fill(*form, kGoodInput);
        form->btn_OK->click();

        if (c.boxText.isEmpty()) {
            EXPECT_TRUE(boxes.boxes().empty());
        } else {
            ASSERT_EQ(boxes.boxes().size(), 1u);
            EXPECT_TRUE(boxes.boxes()[0].text.startsWith(c.boxText)) << boxes.boxes()[0].text.toStdString();
            EXPECT_EQ(boxes.boxes()[0].title, c.boxTitle);
            EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Error);
        }
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->edt_Keyword->text(), kGoodInput.keyword);
        EXPECT_EQ(form->edt_TotalClickCount->text(), kGoodInput.count);
        deliverPostedEvents();
        EXPECT_EQ(mainWindow.refreshPosts, 0);
    }
    EXPECT_EQ(requestsFor(u"addtask"_s).size(), std::size(cases));
}

TEST_F(AddTaskTest, InvalidInputSendsNothingAndFocusesTheBoxConcerned)
{
    struct Case {
        Input input;
        QString message;
        QLineEdit *TfrmAddModifyTask::*edit;
    };
    const Case cases[] = {
        {{u"   "_s, QString(), QString(), QString()}, u"关键词不能为空！"_s, &TfrmAddModifyTask::edt_Keyword},
        {{u"kw"_s, u" "_s, u"1"_s, u"5"_s}, u"宝贝地址不能为空！"_s, &TfrmAddModifyTask::edt_goodsURL},
        {{u"kw"_s, u"u"_s, QString(), u"5"_s}, u"宝贝ID不能为空！"_s, &TfrmAddModifyTask::edt_goodsID},
        {{u"kw"_s, u"u"_s, u"1"_s, u"  "_s}, u"所需访问量不能为空！"_s, &TfrmAddModifyTask::edt_TotalClickCount},
        {{u"kw"_s, u"u"_s, u"1"_s, u"501"_s}, u"请填写准确的访问量！"_s, &TfrmAddModifyTask::edt_TotalClickCount},
        {{u"kw"_s, u"u"_s, u"1"_s, u"12abc"_s}, u"请填写准确的访问量！"_s, &TfrmAddModifyTask::edt_TotalClickCount},
    };
    auto form = openForm();
    QApplication::setActiveWindow(form.get());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        boxes.clear();
        fill(*form, c.input);
        form->edt_goodsID->setFocus(); // anywhere but the box concerned, where it can be
        if (c.edit == &TfrmAddModifyTask::edt_goodsID)
            form->edt_Keyword->setFocus();
        form->btn_OK->click();
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, c.message);
        EXPECT_EQ(boxes.boxes()[0].title, u"提示"_s);
        EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Information);
        EXPECT_EQ(boxes.boxes()[0].buttons, MessageBoxes::Buttons::Ok);
        EXPECT_EQ(form->focusWidget(), (*form).*c.edit);
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AddTaskTest, ModifyModeChecksAndDoesNothingMore)
{
    auto form = openForm(true);
    fill(*form, kGoodInput);
    form->btn_OK->click();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(form->isVisible());

    fill(*form, {u"kw"_s, u"u"_s, u"1"_s, u"0"_s});
    form->btn_OK->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, u"请填写准确的访问量！"_s);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AddTaskTest, CancelClosesAndTheHelpLinkOpensTheHelpPage)
{
    auto form = openForm();
    std::vector<QUrl> opened;
    form->setUrlOpener([&](const QUrl &url) { opened.push_back(url); });
    QTest::mouseClick(form->lbl_Help, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], WebSiteUrl(u"/?post=11"_s));
    EXPECT_EQ(opened[0].toString(), u"http://"_s + WebHost() + u"/?post=11"_s);

    QDir().mkpath(QStringLiteral(QT_TESTCASE_BUILDDIR "/shots"));
    fill(*form, kGoodInput);
    form->grab().save(QStringLiteral(QT_TESTCASE_BUILDDIR "/shots/add-task-window.png"));

    form->btn_Close->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AddTaskTest, TheCommandOpensTheWindowModallyAndFreesIt)
{
    answer(u"addtask"_s, ReplyBody(1, u"\"ok\""_s));
    bool bSeen = false;
    QTimer::singleShot(0, &mainWindow, [&] {
        auto *form = qobject_cast<TfrmAddModifyTask *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        bSeen = true;
        EXPECT_EQ(form->windowTitle(), u"添加、修改任务"_s);
        EXPECT_EQ(form->size(), QSize(474, 286));
        EXPECT_TRUE(form->edt_Keyword->text().isEmpty());
        fill(*form, kGoodInput);
        form->btn_OK->click();
    });
    ownTasks->act_AddTaskExecute();
    EXPECT_TRUE(bSeen);
    EXPECT_TRUE(mainWindow.findChildren<TfrmAddModifyTask *>().isEmpty());
    EXPECT_EQ(requestsFor(u"addtask"_s).size(), 1u);
    deliverPostedEvents();
    EXPECT_EQ(mainWindow.refreshPosts, 1);
}

class DeleteTaskTest : public OwnTasksFixture {
protected:
    void SetUp() override
    {
        answer(u"gettasklistbyuserid"_s, ListReply({TaskJson(42, 1, 10, 1), TaskJson(7, 0, 10, 2), TaskJson(9, 1, 10, 3)}));
        ownTasks->GetSelfTaskList();
        ASSERT_EQ(view->topLevelItemCount(), 3);
        boxes.clear();
    }
};

TEST_F(DeleteTaskTest, NoSelectionAsksNothingAndSendsNothing)
{
    ownTasks->act_DeleteTaskExecute();
    view->act_DeleteTask->trigger();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(requestsFor(u"deletetask"_s).empty());
}

TEST_F(DeleteTaskTest, NoSendsNothing)
{
    selectRow(2);
    boxes.queueAnswer(MessageBoxes::Answer::No);
    ownTasks->act_DeleteTaskExecute();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, u"确定要删除选中的任务吗?"_s);
    EXPECT_EQ(boxes.boxes()[0].title, u"提示"_s);
    EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Question);
    EXPECT_EQ(boxes.boxes()[0].buttons, MessageBoxes::Buttons::YesNo);
    EXPECT_TRUE(requestsFor(u"deletetask"_s).empty());
}

TEST_F(DeleteTaskTest, OutcomesOfTheRequest)
{
    struct Case {
        const char *name;
        int status;
        QByteArray body;
        QString boxText; // prefix of the box after the question; empty: none
        QString boxTitle;
        MessageBoxes::Icon icon;
        int refreshPosts;
    };
    const Case cases[] = {
        {"success", 200, ReplyBody(1, u"\"ok\""_s), u"任务删除成功！"_s, u"提示"_s, MessageBoxes::Icon::Information, 1},
        {"refusal", 200, ReplyBody(0, u"\"no\""_s), u"任务删除失败"_s, u"提示"_s, MessageBoxes::Icon::Error, 0},
        {"channel failure", 503, QByteArray(), u"任务删除失败，请稍后再试！"_s, u"错误"_s, MessageBoxes::Icon::Error, 0},
        {"unreadable reply", 200, QByteArray("not base64 JSON"), QString(), QString(), MessageBoxes::Icon::Error, 0},
        {"retmsg an object", 200, ReplyBody(1, u"{}"_s), QString(), QString(), MessageBoxes::Icon::Error, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        mainWindow.refreshPosts = 0;
        TestHttpServer::Reply reply;
        reply.status = c.status;
        reply.body = c.body;
        answer(u"deletetask"_s, reply);
        const std::size_t sentBefore = requestsFor(u"deletetask"_s).size();

        selectRow(2);
        ownTasks->act_DeleteTaskExecute();

        const auto sent = requestsFor(u"deletetask"_s);
        ASSERT_EQ(sent.size(), sentBefore + 1);
        EXPECT_TRUE(sent.back().body.endsWith("&action=deletetask&taskid=9")) << sent.back().body.constData();
        ASSERT_EQ(boxes.boxes().size(), c.boxText.isEmpty() ? 1u : 2u);
        if (!c.boxText.isEmpty()) {
            const auto &box = boxes.boxes()[1];
            EXPECT_TRUE(box.text.startsWith(c.boxText)) << box.text.toStdString();
            EXPECT_EQ(box.title, c.boxTitle);
            EXPECT_EQ(box.icon, c.icon);
            EXPECT_EQ(box.parent, &mainWindow);
        }
        deliverPostedEvents();
        EXPECT_EQ(mainWindow.refreshPosts, c.refreshPosts);
        // The row stays until the reload that a success asks for.
        EXPECT_EQ(view->topLevelItemCount(), 3);
    }
}

TEST_F(DeleteTaskTest, AReloadWhileTheQuestionIsOpenSendsNothing)
{
    struct Case {
        const char *name;
        QByteArray reloadReply;
    };
    const Case cases[] = {
        {"reload empties the list", ListReply({})},
        {"reload brings the same tasks back", ListReply({TaskJson(42, 1, 10, 1), TaskJson(7, 0, 10, 2), TaskJson(9, 1, 10, 3)})},
        {"reload fails", ReplyBody(0, u"[]"_s)},
    };
    QuestionHook hook;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ownTasks->GetSelfTaskList();
        hook.duringQuestion = [&] {
            answer(u"gettasklistbyuserid"_s, c.reloadReply);
            ownTasks->GetSelfTaskList();
        };
        answer(u"deletetask"_s, ReplyBody(1, u"\"ok\""_s));
        selectRow(1);
        ownTasks->act_DeleteTaskExecute();
        EXPECT_TRUE(requestsFor(u"deletetask"_s).empty());
        answer(u"gettasklistbyuserid"_s, ListReply({TaskJson(42, 1, 10, 1), TaskJson(7, 0, 10, 2), TaskJson(9, 1, 10, 3)}));
    }
}
