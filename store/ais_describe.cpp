#include "store/ais_describe.h"

namespace store {
namespace {

std::int64_t Whole(std::uint32_t v) { return static_cast<std::int64_t>(v); }

// The keys of the packed fields' parts, shared by both descriptions.
constexpr std::string_view kToBow = "to_bow";
constexpr std::string_view kToStern = "to_stern";
constexpr std::string_view kToPort = "to_port";
constexpr std::string_view kToStarboard = "to_starboard";
constexpr std::string_view kEtaMonth = "eta_month";
constexpr std::string_view kEtaDay = "eta_day";
constexpr std::string_view kEtaHour = "eta_hour";
constexpr std::string_view kEtaMinute = "eta_minute";

void AddDimensions(const AisDimensions& d, std::vector<AisNamedValue>& out) {
  out.push_back({kToBow, Whole(d.toBow)});
  out.push_back({kToStern, Whole(d.toStern)});
  out.push_back({kToPort, Whole(d.toPort)});
  out.push_back({kToStarboard, Whole(d.toStarboard)});
}

void AddEta(const AisEta& eta, std::vector<AisNamedValue>& out) {
  out.push_back({kEtaMonth, Whole(eta.month)});
  out.push_back({kEtaDay, Whole(eta.day)});
  out.push_back({kEtaHour, Whole(eta.hour)});
  out.push_back({kEtaMinute, Whole(eta.minute)});
}

// Each field the message held, with its value: the decoder's own walk.
void DescribeFields(const AisDecodedRecord& record, std::uint16_t bitCount,
                    const AisLayoutChoice& choice, AisPackedFields packed,
                    std::vector<AisNamedValue>& out) {
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
      case AisFieldKind::Eta:
        if (packed == AisPackedFields::Parts) {
          AddEta(AisSplitEta(record.U32(at)), out);
          continue;
        }
        value = Whole(record.U32(at));
        break;
      case AisFieldKind::Dimensions:
        if (packed == AisPackedFields::Parts) {
          AddDimensions(AisSplitDimensions(record.U32(at)), out);
          continue;
        }
        value = Whole(record.U32(at));
        break;
      case AisFieldKind::UInt32:
      case AisFieldKind::Identifier:
      case AisFieldKind::RadioStatus:
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

std::vector<AisNamedValue> AisDescribeRecord(const AisDecodedRecord& record, std::uint16_t bitCount,
                                             AisPackedFields packed) {
  std::vector<AisNamedValue> out;
  const AisLayoutChoice choice = AisChooseLayout(record);
  if (choice.layout == nullptr || choice.layout->fieldCount == 0) return out;
  DescribeFields(record, bitCount, choice, packed, out);

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
  std::vector<AisNamedValue> out = {
      {"index", Whole(static_cast<std::uint32_t>(index))},
      {"station", Whole(t.type)},
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
  };
  AddDimensions({t.toBow, t.toStern, t.toPort, t.toStarboard}, out);
  out.push_back({"imo", Whole(t.imo)});
  AddEta({t.etaMonth, t.etaDay, t.etaHour, t.etaMinute}, out);
  out.insert(out.end(), {
                            {"ais_version", Whole(t.aisVersion)},
                            {"draught", t.draught},
                            {"destination", AisTargetText(t.destination)},
                            {"vendorid", AisTargetText(t.vendorId)},
                            {"alt", t.altitude},
                            {"vdm_count", Whole(t.vdmCount)},
                            {"vdo_count", Whole(t.vdoCount)},
                        });
  return out;
}

}  // namespace store
