#pragma once

#include <QString>

namespace vestan {

class Host;
class RecentFiles;

// The two dialogs' filters as the layout gives them: pairs of a text and
// its patterns, separated by "|", several patterns separated by ";".
inline constexpr const char *kSaveDialogFilter =
    "Все файлы (*.*)|*.*|Журналы (*.dat)|*.DAT|BIN-файлы (*.bin)|*.BIN";
inline constexpr const char *kOpenDialogFilter = "Журнал (*.dat)|*.dat|Все файлы (*.*, *)|*.*;*";

// The same filter in the form Qt's file dialog takes: "text (patterns);;...".
QString qtFileFilter(const QString &pairs);

// Runs the save or open dialog, preset from the newest recent file. True
// with the chosen name in buffer; false (buffer empty) when nothing was
// chosen or the name does not fit capacity.
bool AskSaveFileName(Host &host, const RecentFiles &recent, const QString &title, QString &buffer,
                     int capacity);
bool AskOpenFileName(Host &host, const RecentFiles &recent, const QString &title, QString &buffer,
                     int capacity);

} // namespace vestan
