#include "publish/PublishSettings.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

namespace {

const std::array<std::pair<TPublishProtocol, const char*>, 3> ProtocolNames{{
    {TPublishProtocol::Sftp, "SFTP"},
    {TPublishProtocol::Ftps, "FTPS"},
    {TPublishProtocol::Ftp, "FTP"},
}};

bool KeptAsItIs(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '/' || ch == '.' ||
           ch == '_' || ch == '-';
}

// The editor and the command line may name one table file by different paths; the absolute,
// normalised one is the key both use.
std::string SectionOf(const std::string& tablePath) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string section = "Publish:";
    for (const char ch : std::filesystem::absolute(tablePath).lexically_normal().string()) {
        const auto byte = static_cast<unsigned char>(ch);
        if (KeptAsItIs(byte)) {
            section += ch;
        } else {
            section += '%';
            section += Digits[byte >> 4];
            section += Digits[byte & 0x0F];
        }
    }
    return section;
}

const char* ProtocolName(TPublishProtocol protocol) {
    for (const auto& [value, name] : ProtocolNames)
        if (value == protocol) return name;
    return ProtocolNames[0].second;
}

TPublishProtocol ProtocolNamed(const std::string& text) {
    for (const auto& [value, name] : ProtocolNames)
        if (text == name) return value;
    return TPublishProtocol::Sftp;
}

} // namespace

int DefaultPort(TPublishProtocol protocol) {
    return protocol == TPublishProtocol::Sftp ? 22 : 21;
}

int EffectivePort(const TPublishSettings& settings) {
    return settings.Port > 0 ? settings.Port : DefaultPort(settings.Protocol);
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F; });
}

std::string RemoteFolderPath(const TPublishSettings& settings) {
    std::string folder = settings.RemoteFolder;
    while (folder.size() > 1 && folder.ends_with('/'))
        folder.pop_back();
    return folder;
}

std::string RemoteFilePath(const TPublishSettings& settings, const std::string& name) {
    const std::string folder = RemoteFolderPath(settings);
    if (folder.empty()) return name;
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::optional<TPublishSettings> ReadPublishSettings(const TIniFile& ini,
                                                    const std::string& tablePath) {
    const std::string section = SectionOf(tablePath);
    TPublishSettings settings;
    settings.Host = ini.ReadString(section, "Host", "");
    if (settings.Host.empty()) return std::nullopt;
    settings.Protocol = ProtocolNamed(ini.ReadString(section, "Protocol", ""));
    const int port = ini.ReadInteger(section, "Port", 0);
    settings.Port = port > 0 && port < 65536 ? port : 0;
    settings.User = ini.ReadString(section, "User", "");
    settings.RemoteFolder = ini.ReadString(section, "Folder", "");
    settings.Login =
        ini.ReadString(section, "Login", "") == "Keys" ? TSftpLogin::Keys : TSftpLogin::Password;
    settings.PlainFtpAccepted = ini.ReadBool(section, "PlainFtpAccepted", false);
    settings.TrustedCertificate = ini.ReadString(section, "TrustedCertificate", "");
    return settings;
}

void WritePublishSettings(TIniFile& ini, const std::string& tablePath,
                          const TPublishSettings& settings) {
    const std::string section = SectionOf(tablePath);
    ini.EraseSection(section);
    ini.WriteString(section, "Protocol", ProtocolName(settings.Protocol));
    ini.WriteString(section, "Host", settings.Host);
    ini.WriteInteger(section, "Port", settings.Port);
    ini.WriteString(section, "User", settings.User);
    ini.WriteString(section, "Folder", settings.RemoteFolder);
    ini.WriteString(section, "Login", settings.Login == TSftpLogin::Keys ? "Keys" : "Password");
    ini.WriteBool(section, "PlainFtpAccepted", settings.PlainFtpAccepted);
    ini.WriteString(section, "TrustedCertificate", settings.TrustedCertificate);
}
