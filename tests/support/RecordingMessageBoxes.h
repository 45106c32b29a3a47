#pragma once

#include "MessageBoxes.h"

#include <QString>

#include <deque>
#include <vector>

// Records every box and answers from a script; installs itself for its lifetime.
// With the script empty a box gets the answer of its first button (Ok or Yes).
class RecordingMessageBoxes : public MessageBoxes {
public:
    struct Box {
        QWidget *parent = nullptr;
        QString text;
        QString title;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
    };

    RecordingMessageBoxes();
    ~RecordingMessageBoxes() override;
    RecordingMessageBoxes(const RecordingMessageBoxes &) = delete;
    RecordingMessageBoxes &operator=(const RecordingMessageBoxes &) = delete;

    Answer show(QWidget *parent, const QString &text, const QString &title, Icon icon,
                Buttons buttons) override;

    void queueAnswer(Answer answer) { m_answers.push_back(answer); }
    const std::vector<Box> &boxes() const { return m_boxes; }
    void clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<Answer> m_answers;
};
