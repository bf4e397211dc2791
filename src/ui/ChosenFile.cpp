#include "ui/ChosenFile.h"

#include "save/FileWrite.h"
#include "ui/UserDialogs.h"

#include <QDir>

#include <cstring>

namespace mq {

bool saveToChosenFile(UserDialogs& dialogs, const QString& path, std::string_view content) {
    const ReplaceResult result = replaceFile(path.toStdString(), content);
    if (result) return true;
    if (!result.created)
        dialogs.showError(
            QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(path)));
    else
        dialogs.showError(QString::fromLocal8Bit(std::strerror(result.error)));
    return false;
}

}  // namespace mq
