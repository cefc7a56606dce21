#pragma once

#include <QString>

// Result codes of the template commands beyond the report codes; texts are kept exactly as
// clients see them.
namespace TemplateResult {
// Another template already has the name (names compare case-insensitively).
inline constexpr int NameExists = 120;
inline const QString nameExistsText = QStringLiteral("Template name exists.");
} // namespace TemplateResult
