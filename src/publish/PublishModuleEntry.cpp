// The publishing module's side of PublishModule.h: the object it exports.

#include "publish/PublishModule.h"

#include "publish/Publication.h"
#include "publish/SecretKeyring.h"

const TPublishModule orvanix_publish_module = {
    .Size = sizeof(TPublishModule),
    .Interface = PublishModuleInterface,
    .Version = ORVANIX_FILE_VERSION,
    .Publish = &RunPublication,
    .FindPassword = &FindSecretPassword,
    .StorePassword = &StoreSecretPassword,
    .ForgetPassword = &ForgetSecretPassword,
};
