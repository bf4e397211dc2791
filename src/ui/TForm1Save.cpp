#include "ui/TForm1.h"

namespace mq {

void TForm1::SaveSelectedtoIndividualFiles1Click() {}

void TForm1::SaveSelectedToaSingleFile1Click() {}

}  // namespace mq
