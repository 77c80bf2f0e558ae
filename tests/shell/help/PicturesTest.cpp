#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

namespace korvel {
namespace {

struct PictureCase {
    const char* resource;
    QSize size;
};

class PicturesTest : public testing::TestWithParam<PictureCase> {};

TEST_P(PicturesTest, IsLinkedInAsAnOpaqueColourPictureOfItsSize) {
    const QImage picture(QString::fromLatin1(GetParam().resource));
    ASSERT_FALSE(picture.isNull()) << GetParam().resource;
    EXPECT_EQ(picture.size(), GetParam().size);
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_FALSE(picture.isGrayscale());
}

INSTANTIATE_TEST_SUITE_P(
    Korvel, PicturesTest,
    testing::Values(PictureCase{":/pictures/splash.png", {646, 480}},
                    PictureCase{":/pictures/icon_main.png", {32, 32}},
                    PictureCase{":/pictures/icon_cipher.png", {32, 32}},
                    PictureCase{":/pictures/banner_encrypt.png", {610, 83}},
                    PictureCase{":/pictures/banner_decrypt.png", {610, 87}}),
    [](const testing::TestParamInfo<PictureCase>& info) {
        return QFileInfo(QString::fromLatin1(info.param.resource)).baseName().toStdString();
    });

TEST(SplashPictureTest, TitleAreaIsBrightOverADarkSky) {
    const QImage splash(QStringLiteral(":/pictures/splash.png"));
    ASSERT_FALSE(splash.isNull());
    auto brightPixels = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < splash.width(); ++x) {
                if (qGray(splash.pixel(x, y)) > 230) ++count;
            }
        }
        return count;
    };
    // The white title lies in the top band; elsewhere only stars come near white.
    EXPECT_GT(brightPixels(60, 140), 4000);
    EXPECT_LT(brightPixels(380, 460), 1000);
}

}  // namespace
}  // namespace korvel
