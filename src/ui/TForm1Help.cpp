#include "ui/TForm1.h"

namespace mq {

void TForm1::About1Click() {}

void TForm1::Contents1Click() {}

void TForm1::Identities1Click() {}

}  // namespace mq
