#pragma once

// The publishing module: the part of the publish layer that needs libcurl, libssh, libsecret and
// OpenSSL, built as a shared object of its own ("orvanix-publish.so") that sits beside the
// programs, in the build folder as where they are installed. The programs open it at the first
// publish or keyring call, so that a run which never publishes maps none of those libraries.
// Publisher.cpp and PublishKeyring.cpp are its only callers, behind their own interfaces.
//
// The module exports one object, TPublishModule, with its calls (PublishModuleEntry.cpp is that
// side). OpenPublishModule is this side: it opens the file beside the running executable (never
// one found on the library path or in the current folder), once per process and safely from any
// thread, and keeps it open to the end. A module that is missing, cannot be loaded (a library it
// needs is missing, a broken file) or was built apart from the program is refused with a reason
// that names the file; nothing of it is used then, and a later call tries again.

#include "publish/PublishKeyring.h"
#include "publish/Publisher.h"
#include "text/Result.h"

#include <cstdint>
#include <string>
#include <vector>

// The module's calls. Both sides are built from this header in one build; a module whose Size,
// Interface or Version differ from the program's is refused before any of its calls is made.
struct TPublishModule {
    uint32_t Size;       // sizeof(TPublishModule) where the module was built
    uint32_t Interface;  // PublishModuleInterface where the module was built
    const char* Version; // the file version it was built as ("1.0.0.0")
    TPublishOutcome (*Publish)(const TPublishSettings& settings, const std::string& feedPath,
                               const std::string& password, const TPublishPrompts& prompts,
                               const std::vector<TPublishedFile>& withFeed);
    std::string (*FindPassword)(const std::string& account, TKeyringUnlock unlock);
    TResult (*StorePassword)(const std::string& account, const std::string& password);
    TResult (*ForgetPassword)(const std::string& account);
};

// Raised whenever the calls above or the types they pass change.
constexpr uint32_t PublishModuleInterface = 2;

// The one symbol the module exports.
extern "C" __attribute__((visibility("default"))) const TPublishModule orvanix_publish_module;

// Sets `module` to the module's calls, opening it first if need be; a failure leaves it as it was.
TResult OpenPublishModule(const TPublishModule*& module);
