#pragma once

#include "ui/UserDialogs.h"

#include <QStringList>

#include <vector>

namespace mq {

// Answers the window's questions without showing anything: records every message box, and
// gives the save and folder dialogs the answers queued in advance (empty: cancelled).
class ScriptedDialogs : public UserDialogs {
public:
    struct Message {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
    };

    void showMessage(const QString& caption, const QString& text, QMessageBox::Icon icon) override {
        messages.push_back({caption, text, icon});
    }
    QString getSaveFileName(QWidget*, const QString& filter, const QString& defaultSuffix,
                            const QString& startPath) override {
        saveRequests.push_back({filter, defaultSuffix, startPath});
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString browseForFolder(QWidget*, const QString&, const QString& startFolder) override {
        browseRequests.push_back(startFolder);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }

    QString chooseStore(QWidget*, const QString& startFolder) override {
        storeRequests.push_back(startFolder);
        return storeAnswers.isEmpty() ? QString() : storeAnswers.takeFirst();
    }

    std::vector<Message> messages;
    QStringList saveAnswers;
    QStringList folderAnswers;
    std::vector<QStringList> saveRequests;  // filter, suffix, start path
    QStringList browseRequests;
    QStringList storeAnswers;
    QStringList storeRequests;  // start folders
};

}  // namespace mq
