#include "publish/CertificateFacts.h"

std::string CertificateDoubts(const TCertificateFacts& facts) {
    std::string doubts;
    if (facts.SelfSigned) doubts += "自己署名の証明書です。";
    if (!facts.IssuedFor.empty())
        doubts += "別の名前 (" + facts.IssuedFor + ") に発行された証明書です。";
    if (!facts.ExpiredOn.empty()) doubts += "有効期限が " + facts.ExpiredOn + " に切れています。";
    if (!facts.ValidFrom.empty())
        doubts += "有効期間が " + facts.ValidFrom + " からで、まだ有効ではありません。";
    return doubts.empty() ? "システムの信頼する発行元の証明書ではありません。" : doubts;
}
