#include "WindowProfile.h"

namespace korvel {

WindowProfile WindowProfile::Encrypt() {
    return WindowProfile{
        .direction = Direction::Encrypt,
        .formName = QStringLiteral("Form4"),
        .caption = QStringLiteral("文件加密"),
        .bannerResource = QStringLiteral(":/pictures/banner_encrypt.png"),
        .openFilter = QStringLiteral("所有文件|*.*"),
        .saveFilter = QStringLiteral("|"),
    };
}

WindowProfile WindowProfile::Decrypt() {
    return WindowProfile{
        .direction = Direction::Decrypt,
        .formName = QStringLiteral("Form5"),
        .caption = QStringLiteral("文件解密"),
        .bannerResource = QStringLiteral(":/pictures/banner_decrypt.png"),
        .openFilter = std::nullopt,
        .saveFilter = std::nullopt,
    };
}

}  // namespace korvel
