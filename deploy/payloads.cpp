#include "deploy/payloads.h"

namespace qz {

const std::array<PayloadEntry, kPayloadCount> kPayloadTable = {{
    {L"Firmware0", L"QZ1769_m.dat", 477080},  // same image as Firmware1
    {L"Firmware1", L"QZ_rus.rub", 477080},
    {L"Firmware2", L"QZ_kaz.kzt", 477268},
    {L"Firmware3", L"QZ_rus.kzt", 476768},
    {L"Firmware4", L"QZ_eng.eur", 476288},
    {L"Firmware5", L"QZ_lva.eur", 476620},
    {L"Firmware6", L"QZ_fre.tnd", 477160},
    {L"Firmware7", L"QZ_tkm.tmt", 476536},
    {L"Firmware8", L"QZ_blg.bgn", 476948},
    {L"Firmware9", L"QZ_arm.amd", 476796},
    {L"Firmware10", L"QZ_geo.gel", 476888},
    {L"Firmware11", L"QZ_rus.kgs", 476736},
    {L"Firmware12", L"QZ_kot.fcf", 477164},
    {L"Firmware13", L"QZ_rus.uzs", 476736},
    {L"Languages", L"QZ1769.lng", 418},
}};

}  // namespace qz
