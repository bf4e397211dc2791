#include "ui/TForm1.h"

namespace mq {

void TForm1::ExtractReplyToEmailAddresses1Click() {}

void TForm1::ExtractMessageBodyEmailAddresses1Click() {}

void TForm1::ExtractBothReplytoandmessagebodyemailaddresses1Click() {}

}  // namespace mq
