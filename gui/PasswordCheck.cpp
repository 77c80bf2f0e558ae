#include "PasswordCheck.h"

#include "WindowTexts.h"
#include "cipher/PasswordRule.h"
#include "run/RunMessages.h"

namespace korvel {

std::optional<QString> PasswordRefusal(const QString& password, const QString& repeat) {
    if (const auto problem = PasswordProblem(password.toUtf8().toStdString())) {
        return QString::fromUtf8(*problem);
    }
    if (password != repeat) return QString::fromUtf8(kPasswordMismatch);
    return std::nullopt;
}

}  // namespace korvel
