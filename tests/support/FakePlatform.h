#pragma once

// The platform as tests see it: every message box, question, beep, browser
// and file-manager request is recorded; questions, the open-file dialog and
// popup menus are answered from queues filled by the test.

#include "framework/Platform.h"

#include <deque>
#include <vector>

namespace testing {

class FakePlatform final : public fw::Platform {
public:
    fw::MsgAnswer showMessage(const fw::MessageRequest& request) override;
    void beep() override { ++beeps; }
    void openUrl(const QString& url) override { urls.push_back(url); }
    void openFolder(const QString& posixPath) override { folders.push_back(posixPath); }
    std::optional<QString> chooseFile(const QString& fileType) override;
    std::optional<QString> popupMenu(const QStringList& rows, const QPoint& globalPos) override;

    // The texts of all message boxes and questions shown, in order.
    QStringList messageTexts() const;
    QString lastMessage() const;
    void clear();

    std::vector<fw::MessageRequest> messages;
    int beeps = 0;
    QStringList urls;
    QStringList folders;
    std::vector<QStringList> menusShown;

    // Answers for questions (OK/Cancel, Yes/No); when empty a question is
    // answered Cancel (or No), so an unexpected question never goes ahead.
    std::deque<fw::MsgAnswer> answers;
    // Files the open-file dialog returns; when empty it is cancelled.
    std::deque<QString> chosenFiles;
    // Rows the popup menus choose; when empty they are dismissed.
    std::deque<QString> menuChoices;
};

// Installs a FakePlatform for the lifetime of this object.
class ScopedFakePlatform {
public:
    ScopedFakePlatform();
    ~ScopedFakePlatform();
    FakePlatform* operator->() { return m_fake; }

private:
    FakePlatform* m_fake;
    std::unique_ptr<fw::Platform> m_previous;
};

} // namespace testing
