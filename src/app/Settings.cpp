#include "app/Settings.h"

#include "text/CodePage.h"
#include "text/IniFile.h"

#include <exception>

namespace {

const std::string Environ = "Environ";
const std::string Grid = "Grid";

std::string ColumnKey(size_t column) {
    return "Col_" + std::to_string(column);
}

void ReadSettings(const TIniFile& ini, TEditorSettings& settings) {
    settings.OpenLastFile = ini.ReadBool(Environ, "LastOpen", settings.OpenLastFile);
    if (settings.OpenLastFile)
        settings.FileName = ini.ReadString(Environ, "DefFileName", settings.FileName);
    for (size_t column = 0; column < settings.ColWidths.size(); ++column) {
        int& width = settings.ColWidths[column];
        width = ini.ReadInteger(Grid, ColumnKey(column), width);
    }
}

void WriteSettings(TIniFile& ini, const TEditorSettings& settings) {
    ini.WriteBool(Environ, "LastOpen", settings.OpenLastFile);
    ini.WriteString(Environ, "DefFileName", settings.FileName);
    for (size_t column = 0; column < settings.ColWidths.size(); ++column)
        ini.WriteInteger(Grid, ColumnKey(column), settings.ColWidths[column]);
}

std::string NotSavedMessage() {
    return Utf8ToCp932("設定ファイル orvanix.ini が保存できません。\r\n"
                       "フォルダにアクセス権があるか確認してください。")
        .value();
}

// Writes the settings, and what `alongside` adds, into the file as it is now.
TResult WriteSettingsFile(TIniFile& ini, const TEditorSettings& settings,
                          const TIniWriter& alongside) {
    // Saving without the current content would lose the other sections: a failed read fails.
    if (TResult loaded = ini.Load(); !loaded) return loaded;
    WriteSettings(ini, settings);
    if (alongside) alongside(ini);
    return ini.Save();
}

} // namespace

std::optional<std::string> LoadSaveSettings(TIniMode mode, TEditorSettings& settings,
                                            const std::string& iniPath,
                                            const TIniWriter& alongside) {
    TIniFile ini(iniPath);
    if (mode == imRead) {
        // A file that cannot be read is taken as empty: every value keeps the one it has.
        if (ini.Load()) ReadSettings(ini, settings);
    } else {
        TResult written;
        try {
            written = WriteSettingsFile(ini, settings, alongside);
        } catch (const std::exception& error) {
            // Out of memory, most likely: reported like any other failure, with its own words.
            written = TResult::Because(error.what());
        }
        if (!written) return written.Describe(NotSavedMessage());
    }
    return std::nullopt;
}
