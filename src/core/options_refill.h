// Purpose: how the Options dialog's controls are refilled from the player state each time it shows.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace orvu {

// The skin list row a stored skin index names: only the texts "0" to "9" name one; any other text
// (an edited settings file) names none, and the list keeps its selection.
std::optional<int> skinRowOf(const QString& skinIndex);

// The item of a fixed drop-down list whose text equals `text`, letter case aside; -1 (no selection) when
// none does.
int comboIndexOf(const QStringList& items, const QString& text);

} // namespace orvu
