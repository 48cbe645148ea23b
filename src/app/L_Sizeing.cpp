#include "L_Sizeing.h"

#include "CodePage.h"
#include "UserPlaces.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <thread>

std::string IniFileName = UserPlaces().IniFileName;

namespace {

constexpr int OpenAttempts = 3;
constexpr auto RetryDelay = std::chrono::milliseconds(200);

bool StoresBounds(TControlSizeStyle style) {
    return style == cssAll || style == cssSize;
}
bool StoresVisibility(TControlSizeStyle style) {
    return style == cssAll || style == cssVisible;
}

// A window whose size the user cannot change keeps the size its code gave it.
bool IsResizable(const QWidget* form) {
    return form->minimumSize() != form->maximumSize() &&
           !form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

// A place or size no window can have is cut to the largest one a window can have, so that no
// sum of two of them overflows, here or in QRect.
void ClampPlacement(int& left, int& top, int& width, int& height) {
    left = std::clamp(left, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    top = std::clamp(top, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    width = std::clamp(width, 0, QWIDGETSIZE_MAX);
    height = std::clamp(height, 0, QWIDGETSIZE_MAX);
}

QRect ReadBounds(const TIniFile& ini, const std::string& section, const QRect& current) {
    int left = ini.ReadInteger(section, "szLeft", current.x());
    int top = ini.ReadInteger(section, "szTop", current.y());
    int width = ini.ReadInteger(section, "szWidth", current.width());
    int height = ini.ReadInteger(section, "szHeight", current.height());
    ClampPlacement(left, top, width, height);
    return {left, top, width, height};
}

void WriteBounds(TIniFile& ini, const std::string& section, const QRect& bounds) {
    ini.WriteInteger(section, "szLeft", bounds.x());
    ini.WriteInteger(section, "szTop", bounds.y());
    ini.WriteInteger(section, "szWidth", bounds.width());
    ini.WriteInteger(section, "szHeight", bounds.height());
}

void ReadFormPlacement(const TIniFile& ini, QWidget* form, const std::string& section,
                       TControlSizeStyle style) {
    if (!StoresBounds(style)) return;
    const QRect stored = ReadBounds(ini, section, WindowBounds(form));
    int left = stored.x(), top = stored.y(), width = stored.width(), height = stored.height();
    FitToDesktop(left, top, width, height);
    const bool maximized =
        ini.ReadInteger(section, "szWindowState", form->isMaximized() ? 1 : 0) != 0;
    // The stored rectangle is the normal one, so it is given while the window is not maximized.
    form->setWindowState(Qt::WindowNoState);
    if (IsResizable(form)) form->resize(width, height);
    form->move(left, top);
    if (maximized) form->setWindowState(Qt::WindowMaximized);
}

void ReadControlPlacement(const TIniFile& ini, QWidget* control, const std::string& section,
                          TControlSizeStyle style) {
    QRect bounds = control->geometry();
    if (StoresBounds(style)) bounds = ReadBounds(ini, section, bounds);
    if (StoresVisibility(style))
        control->setVisible(ini.ReadBool(section, "szVisible", !control->isHidden()));
    if (!StoresBounds(style)) return;
    if (const QWidget* parent = control->parentWidget()) {
        const QRect client = parent->contentsRect();
        bounds.setWidth(std::min(bounds.width(), client.width()));
        bounds.setHeight(std::min(bounds.height(), client.height()));
    }
    control->setGeometry(bounds);
}

void WriteFormPlacement(TIniFile& ini, const QWidget* form, const std::string& section,
                        TControlSizeStyle style) {
    if (!StoresBounds(style)) return;
    ini.WriteInteger(section, "szWindowState", form->isMaximized() ? 1 : 0);
    WriteBounds(ini, section, NormalBounds(form));
}

void WriteControlPlacement(TIniFile& ini, const QWidget* control, const std::string& section,
                           TControlSizeStyle style) {
    const bool visible = !control->isHidden();
    if (StoresVisibility(style)) ini.WriteBool(section, "szVisible", visible);
    if (!StoresBounds(style)) return;
    WriteBounds(ini, section, control->geometry());
    ini.WriteBool(section, "szVisible", visible);
}

} // namespace

std::string PlacementSection(const QWidget* control) {
    const std::string name = control->objectName().toStdString();
    // Object names are identifiers; one the code page cannot hold keeps its UTF-8 bytes.
    return "Sz_" + Utf8ToCp932(name).value_or(name);
}

void IniPlacement(TIniFile& iniFile, QWidget* control, std::string& section,
                  TControlSizeStyle style, char mode) {
    if (!control) return;
    try {
        if (mode == 'R') {
            if (section.empty()) section = PlacementSection(control);
            if (control->isWindow())
                ReadFormPlacement(iniFile, control, section, style);
            else
                ReadControlPlacement(iniFile, control, section, style);
        } else if (mode == 'W' && !section.empty()) {
            iniFile.EraseSection(section);
            if (control->isWindow())
                WriteFormPlacement(iniFile, control, section, style);
            else
                WriteControlPlacement(iniFile, control, section, style);
        }
    } catch (...) {
        // A placement that cannot be kept leaves the control where it is; nothing to report.
    }
}

QRect WindowBounds(const QWidget* form) {
    return {form->pos(), form->size()};
}

QRect NormalBounds(const QWidget* form) {
    if (form->isMaximized()) {
        const QRect normal = form->normalGeometry();
        if (normal.isValid()) return normal;
    }
    return WindowBounds(form);
}

QRect VirtualDesktop() {
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->geometry();
    return desktop;
}

void FitToDesktop(const QRect& desktop, int& left, int& top, int& width, int& height) {
    if (desktop.isEmpty()) return;
    ClampPlacement(left, top, width, height);
    width = std::min(width, desktop.width());
    height = std::min(height, desktop.height());
    left = std::max(left, desktop.x());
    top = std::max(top, desktop.y());
    const int right = desktop.x() + desktop.width();
    const int bottom = desktop.y() + desktop.height();
    if (left + width > right) left = right - width;
    if (top + height > bottom) top = bottom - height;
}

void FitToDesktop(int& left, int& top, int& width, int& height) {
    FitToDesktop(VirtualDesktop(), left, top, width, height);
}

QPoint CenteredOnWorkArea(const QRect& workArea, const QSize& size) {
    return {workArea.x() + (workArea.width() - size.width()) / 2,
            workArea.y() + (workArea.height() - size.height()) / 3};
}

void CenterOnWorkArea(QWidget* form) {
    const QScreen* screen = form->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    form->move(CenteredOnWorkArea(screen->availableGeometry(), form->frameGeometry().size()));
}

TIniFile OpenIniRetry(const std::string& path) {
    TIniFile file(path);
    for (int attempt = 1; attempt <= OpenAttempts; ++attempt) {
        if (file.Load()) return file;
        if (attempt < OpenAttempts) std::this_thread::sleep_for(RetryDelay);
    }
    file.SetWriteThrough(true);
    return file;
}

TResult FlushIni(TIniFile& file) {
    return file.WriteThrough() ? file.WriteThroughError() : file.Save();
}
