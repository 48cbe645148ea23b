#include "app/L_CtlSize.h"

#include "app/L_Sizeing.h"

#include <QEvent>

#include <tuple>

namespace {

std::string SlotKey(const char* prefix, size_t index) {
    return prefix + std::to_string(index);
}

// A slot's key first holds its name and is then overwritten with its value, so after a load the
// name is the value's text; only named slots take part.
template <typename Table, typename Read>
void ReadSlots(const TIniFile& ini, const std::string& section, const char* prefix, Table& table,
               Read read) {
    for (size_t k = 0; k < table.size(); ++k) {
        const std::string key = SlotKey(prefix, k);
        table[k].Name = ini.ReadString(section, key, table[k].Name);
        if (!table[k].Name.empty()) table[k].Value = (ini.*read)(section, key, table[k].Value);
    }
}

template <typename Table, typename Write>
void WriteSlots(TIniFile& ini, const std::string& section, const char* prefix, const Table& table,
                Write write) {
    for (size_t k = 0; k < table.size(); ++k) {
        if (table[k].Name.empty()) continue;
        const std::string key = SlotKey(prefix, k);
        ini.WriteString(section, key, table[k].Name);
        (ini.*write)(section, key, table[k].Value);
    }
}

} // namespace

TControlSize::TControlSize(QWidget* owner)
    : QObject(owner), window_(owner ? owner->window() : nullptr) {
    if (window_) window_->installEventFilter(this);
}

TControlSize::~TControlSize() {
    Notify(OnDestroy, this);
    StorePlacement();
}

std::string TControlSize::IniFile() const {
    return iniFile_.empty() ? IniFileName : iniFile_;
}

void TControlSize::OwnerCreated() {
    if (created_) return;
    created_ = true;
    if (!sizeOnShow_) Start();
}

void TControlSize::Start() {
    Notify(OnCreate, this);
    const auto started = [this] { Notify(OnStart, this); };
    if (manual_)
        started();
    else
        Load(started);
}

TResult TControlSize::LoadSave(TIniMode mode) {
    if (mode == imWrite) return Save();
    Load({});
    return {};
}

void TControlSize::Load(const std::function<void()>& loaded) {
    const std::string path = IniFile();
    if (!path.empty() && section_.empty() && control_) {
        section_ = PlacementSection(control_);
        if (control_->isWindow() && screenSenter_) CenterOnWorkArea(control_);
    }
    if (path.empty() || section_.empty()) {
        if (loaded) loaded();
        return;
    }
    OpenIniRetry(path, this, [this, loaded](TIniFile& ini) {
        if (control_) IniPlacement(ini, control_, section_, style_, imRead);
        ReadSlots(ini, section_, "EnvBool_", EnvBool, &TIniFile::ReadBool);
        ReadSlots(ini, section_, "EnvInt_", EnvInt, &TIniFile::ReadInteger);
        if (loaded) loaded();
    });
}

TResult TControlSize::Save() {
    const std::string path = IniFile();
    // A component that never loaded has no section and nothing of its own in the file.
    if (path.empty() || section_.empty()) return {};
    TIniFile ini = OpenIniNow(path);
    WritePlacement(ini);
    const TResult flushed = FlushIni(ini);
    if (!flushed) stored_.clear();
    return flushed;
}

void TControlSize::WritePlacement(TIniFile& ini) {
    if (section_.empty()) return;
    WriteOwnSection(ini);
    stored_ = PlacementText();
}

void TControlSize::WriteOwnSection(TIniFile& ini) const {
    std::string section = section_;
    if (control_) IniPlacement(ini, control_, section, style_, imWrite);
    WriteSlots(ini, section, "EnvBool_", EnvBool, &TIniFile::WriteBool);
    WriteSlots(ini, section, "EnvInt_", EnvInt, &TIniFile::WriteInteger);
}

// The component's own section as it would be written now.
std::string TControlSize::PlacementText() const {
    TIniFile own;
    WriteOwnSection(own);
    return own.Text();
}

// Storing at the close and again at the destruction would write the same section twice: what
// has not changed since it was last written stays as it is. Keeping the placement is a
// convenience, so one that cannot be stored is not worth a message.
void TControlSize::StorePlacement() {
    if (!stored_.empty() && PlacementText() == stored_) return;
    std::ignore = Save();
}

bool TControlSize::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        OwnerCreated();
        if (sizeOnShow_) Start();
    } else if (event->type() == QEvent::Close) {
        HandleClose(event);
        return true;
    }
    return false;
}

// The window's own close handler runs first: only a close it lets go ahead stores the placement.
void TControlSize::HandleClose(QEvent* event) {
    static_cast<QObject*>(window_.data())->event(event);
    if (event->isAccepted() && !manual_) StorePlacement();
}

void TControlSize::Notify(const TNotifyEvent& handler, QObject* sender) {
    if (handler) handler(sender);
}
