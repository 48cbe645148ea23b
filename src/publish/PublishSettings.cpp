#include "publish/PublishSettings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

const std::array<std::pair<TPublishProtocol, const char*>, 3> ProtocolNames{{
    {TPublishProtocol::Sftp, "SFTP"},
    {TPublishProtocol::Ftps, "FTPS"},
    {TPublishProtocol::Ftp, "FTP"},
}};

constexpr std::string_view SectionPrefix = "Publish:";

std::string SectionOf(const std::string& tablePath) {
    return FileSectionName(SectionPrefix, tablePath);
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

namespace {

std::optional<TPublishSettings> ReadSection(const TIniFile& ini, const std::string& section) {
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
    settings.PublishedAddress = ini.ReadString(section, "PublishedAddress", "");
    return settings;
}

} // namespace

std::optional<TPublishSettings> ReadPublishSettings(const TIniFile& ini,
                                                    const std::string& tablePath) {
    return ReadSection(ini, SectionOf(tablePath));
}

std::vector<TPublishSettings> EveryPublishSettings(const TIniFile& ini) {
    std::vector<TPublishSettings> every;
    for (const std::string& section : ini.SectionNames())
        if (section.starts_with(SectionPrefix))
            if (auto settings = ReadSection(ini, section)) every.push_back(std::move(*settings));
    return every;
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
    ini.WriteString(section, "PublishedAddress", settings.PublishedAddress);
}
