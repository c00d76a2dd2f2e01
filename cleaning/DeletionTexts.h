#pragma once
// What the deletion tells beside its documented texts: the line under the
// confirmation's question, and the outcome a screen reader speaks.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace dm {

// Kilobytes of a size, rounded up: 0 bytes 0, 1 to 1024 bytes 1, 1025 bytes 2.
inline std::uint64_t KiloBytes(std::uint64_t bytes) { return bytes / 1024 + (bytes % 1024 != 0); }

// "Будет удалено файлов: N (K KB) — в Корзину." or "— безвозвратно.", the
// figures in the locale's digits.
QString DeletionNote(std::uint64_t files, std::uint64_t kiloBytes, bool toTrash);

// The lines shown under the confirmation's question, one per note.
inline QString ConfirmationNotes(const QStringList &notes) { return notes.join(QLatin1Char('\n')); }

// The end of a pass: "Удалено файлов: N — в Корзину." (or "— безвозвратно."),
// with "(K KB)" after N when the space freed is given, and the count that
// could not be removed when there is one.
QString DeletionOutcome(std::uint64_t removed, std::uint64_t failed, bool toTrash,
                        std::optional<std::uint64_t> kiloBytes = std::nullopt);

} // namespace dm
