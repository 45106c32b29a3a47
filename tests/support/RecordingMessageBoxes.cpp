#include "RecordingMessageBoxes.h"

RecordingMessageBoxes::RecordingMessageBoxes()
{
    setMessageBoxes(this);
}

RecordingMessageBoxes::~RecordingMessageBoxes()
{
    setMessageBoxes(nullptr);
}

MessageBoxes::Answer RecordingMessageBoxes::show(QWidget *parent, const QString &text, const QString &title,
                                                 Icon icon, Buttons buttons)
{
    m_boxes.push_back(Box{parent, text, title, icon, buttons});
    if (!m_answers.empty()) {
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}
