#include "fakes/scripted_machine.h"

#include <string>

#include "fakes/random_machine.h"

namespace vantrel::testing {

void AnswerManyDisks(FakeWmi& wmi, std::size_t disks, std::size_t longNameUnits) {
  FakeQueryAnswer answer;
  answer.objects.reserve(disks);
  for (std::size_t i = 0; i < disks; ++i) {
    std::wstring model = i % 1000 == 999 ? std::wstring(longNameUnits, L'디') : L"Model " + std::to_wstring(i);
    answer.objects.push_back(FakeObject{{L"Index", FakeValue::Int(static_cast<LONG>(i))},
                                        {L"Model", FakeValue::Text(std::move(model))},
                                        {L"Size", FakeValue::Text(L"500107862016")},
                                        {L"InterfaceType", FakeValue::Text(L"SCSI")},
                                        {L"PNPDeviceID", FakeValue::Text(L"SCSI\\DISK")}});
  }
  wmi.Answer(StatementText(kDisksStatement), std::move(answer));
}

}  // namespace vantrel::testing
