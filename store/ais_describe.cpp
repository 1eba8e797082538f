#include "store/ais_describe.h"

namespace store {
namespace {

std::int64_t Whole(std::uint32_t v) { return static_cast<std::int64_t>(v); }

// Each field the message held, with its value: the decoder's own walk.
void DescribeFields(const AisDecodedRecord& record, std::uint16_t bitCount,
                    const AisLayoutChoice& choice, std::vector<AisNamedValue>& out) {
  const std::span<const AisFieldDescriptor> fields = choice.layout->Fields();
  // The fields before the walk (the id and the selectors) take a byte each.
  for (std::size_t i = 0; i < choice.firstField; ++i) {
    out.push_back({fields[i].name, Whole(record.U8(i))});
  }
  AisFieldWalk walk(choice, bitCount);
  for (AisFieldStep step; walk.Next(step);) {
    const std::size_t at = step.at;
    AisValue value;
    switch (step.field->kind) {
      case AisFieldKind::UInt8:
      case AisFieldKind::TimeStamp:
        value = Whole(record.U8(at));
        break;
      case AisFieldKind::UInt16:
      case AisFieldKind::UInt16Code:
      case AisFieldKind::Heading:
        value = Whole(record.U16(at));
        break;
      case AisFieldKind::UInt32:
      case AisFieldKind::Identifier:
      case AisFieldKind::Eta:
      case AisFieldKind::RadioStatus:
      case AisFieldKind::Dimensions:
        value = Whole(record.U32(at));
        break;
      case AisFieldKind::Text:
      case AisFieldKind::TextToEnd:
        value = AisTrimmedText(record.Text(at).data(), step.bytes - 1);
        break;
      case AisFieldKind::Binary:
        value = std::span<const std::uint8_t>(record.Bytes().data() + at, step.bytes);
        break;
      default:  // the float kinds
        value = record.F32(at);
        break;
    }
    out.push_back({step.field->name, value});
  }
}

}  // namespace

std::vector<AisNamedValue> AisDescribeRecord(const AisDecodedRecord& record,
                                             std::uint16_t bitCount) {
  std::vector<AisNamedValue> out;
  const AisLayoutChoice choice = AisChooseLayout(record);
  if (choice.layout == nullptr || choice.layout->fieldCount == 0) return out;
  DescribeFields(record, bitCount, choice, out);

  const std::uint8_t id = record.U8(0);
  if (id == 22 && record.U8(selector::kAddressed.at) == 1) {
    out.push_back({"dest_mmsi1", Whole(record.U32(kAisAddressedDest1At))});
    out.push_back({"dest_mmsi2", Whole(record.U32(kAisAddressedDest2At))});
  }
  if (id == 6) out.push_back({"data_bytes", Whole(record.U16(kAisAddressedBinaryCountAt))});
  if (id == 8) out.push_back({"data_bytes", Whole(record.U16(kAisBroadcastBinaryCountAt))});
  return out;
}

std::vector<AisNamedValue> AisDescribeTarget(const AisTarget& t, int index) {
  auto flag = [&t](unsigned bit) { return Whole(t.flags >> bit & 1u); };
  return {
      {"index", Whole(static_cast<std::uint32_t>(index))},
      {"type", Whole(t.type)},
      {"mmsi", Whole(t.mmsi)},
      {"status", Whole(AisNavStatus(t))},
      {"epfd", Whole(AisEpfd(t))},
      {"accuracy", flag(0)},
      {"raim", flag(1)},
      {"dte", flag(2)},
      {"lon", t.lon},
      {"lat", t.lat},
      {"speed", t.speed},
      {"course", t.course},
      {"heading", t.heading},
      {"turn", t.rateOfTurn},
      {"shipname", AisTargetText(t.name)},
      {"callsign", AisTargetText(t.callsign)},
      {"shiptype", Whole(t.shipType)},
      {"to_bow", Whole(t.toBow)},
      {"to_stern", Whole(t.toStern)},
      {"to_port", Whole(t.toPort)},
      {"to_starboard", Whole(t.toStarboard)},
      {"imo", Whole(t.imo)},
      {"eta_month", Whole(t.etaMonth)},
      {"eta_day", Whole(t.etaDay)},
      {"eta_hour", Whole(t.etaHour)},
      {"eta_minute", Whole(t.etaMinute)},
      {"ais_version", Whole(t.aisVersion)},
      {"draught", t.draught},
      {"destination", AisTargetText(t.destination)},
      {"vendorid", AisTargetText(t.vendorId)},
      {"alt", t.altitude},
      {"vdm_count", Whole(t.vdmCount)},
      {"vdo_count", Whole(t.vdoCount)},
  };
}

}  // namespace store
