#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>
#include <string>

#include "cipher/Direction.h"

// Readable failure output for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

namespace korvel {

inline const char* DirectionName(Direction direction) {
    return direction == Direction::Encrypt ? "Encrypt" : "Decrypt";
}
inline void PrintTo(Direction direction, std::ostream* out) { *out << DirectionName(direction); }

namespace testing {

// Names the cases of a test run for both windows "Encrypt" and "Decrypt".
inline std::string ByDirection(const ::testing::TestParamInfo<Direction>& info) {
    return DirectionName(info.param);
}

// Names each case of a table after its `name` field.
template <typename Case>
std::string ByCaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

}  // namespace testing
}  // namespace korvel
