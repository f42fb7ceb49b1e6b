#pragma once

// The one text form of identifiers in stored data and file names.

#include <QString>
#include <QStringView>
#include <QUuid>

#include <optional>

// Canonical text of an identifier: 36 upper-case hexadecimal characters
// in groups 8-4-4-4-12. A brush's files start with it.
QString uuidText(const QUuid& id);
// Parses the canonical form (either case); anything else is refused.
std::optional<QUuid> uuidFromText(QStringView text);
