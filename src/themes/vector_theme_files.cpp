// The own binary file of a vector theme and its shapefile export.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/embrith_engine.h"
#include "engines/mtt_engine.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "themes/polygon.h"
#include "themes/shapefile_writer.h"
#include "themes/vector_theme.h"

namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr std::size_t kVertexBytes = 24, kRecordBytes = 28, kSpotBytes = 48;

template <class T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Little-endian reads over bytes in memory; a read past the end fails and leaves the value.
class Bytes {
 public:
  explicit Bytes(const std::string& b) : b_(b) {}
  template <class T>
  bool Get(T& v) {
    if (Left() < sizeof v) return false;
    std::memcpy(&v, b_.data() + pos_, sizeof v);
    pos_ += sizeof v;
    return true;
  }
  std::size_t Left() const { return b_.size() - pos_; }
  bool AtEnd() const { return pos_ >= b_.size(); }

 private:
  const std::string& b_;
  std::size_t pos_ = 0;
};

template <class Spots>
void PutSpots(std::string& out, Spots* spots, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto* s = spots ? spots->GetSpot(static_cast<int>(i)) : nullptr;
    const double v[6] = {s ? s->GetLaunchX() : 0, s ? s->GetLaunchY() : 0, s ? s->GetLandX() : 0,
                         s ? s->GetLandY() : 0, s ? s->GetLaunchTime() : 0, s ? s->GetLandTime() : 0};
    for (double d : v) Put(out, d);
  }
}

template <class Spots>
std::unique_ptr<Spots> GetSpots(Bytes& in, std::size_t n) {
  auto spots = std::make_unique<Spots>();
  spots->SetNumSpots(static_cast<int>(n));
  for (std::size_t i = 0; i < n; ++i) {
    double v[6];
    for (double& d : v) in.Get(d);
    spots->SetSpot(static_cast<int>(i), v[0], v[1], v[2], v[3], v[4], v[5]);
  }
  return spots;
}

}  // namespace

std::string CVectorTheme::ThemeBytes() const {
  std::string out;
  const std::size_t n = shapes.size();
  for (double v : {east, west, north, south}) Put(out, v);
  // The format holds at most 255 name bytes.
  out.append(name.data(), std::min(name.size(), kMaxNameLength));
  out.push_back('\0');
  Put<std::uint8_t>(out, visible ? 1 : 0);
  Put<std::uint32_t>(out, lineColor);
  for (std::int32_t v : {lineStyle, lineWidth}) Put(out, v);
  Put<std::uint32_t>(out, pointColor);
  for (std::int32_t v : {pointSymbol, pointSize}) Put(out, v);
  Put<std::uint32_t>(out, polygonColor);
  for (std::int32_t v : {polygonStyle, polygonWidth, shapeType, static_cast<std::int32_t>(n)}) Put(out, v);
  for (const auto& s : shapes) {
    const std::int32_t k = s ? s->VertexCount() : 0;
    Put(out, k);
    for (std::int32_t i = 0; i < k; ++i) {
      const auto j = static_cast<std::size_t>(i);
      Put(out, s->x[j]);
      Put(out, s->y[j]);
      Put(out, j < s->z.size() ? s->z[j] : 0.0);
    }
  }
  Put(out, static_cast<std::int32_t>(fireSizeRecords.size()));
  for (const FireSizeRecord& r : fireSizeRecords) {
    Put(out, r.fireSize);
    Put(out, r.fireNumber);
    Put(out, r.ignitionX);
    Put(out, r.ignitionY);
  }
  if (!fireIndex.empty())
    for (std::size_t i = 0; i < n; ++i) Put(out, i < fireIndex.size() ? fireIndex[i] : std::int32_t{0});
  if (hasPerimeterAttributes) {
    auto at = [n](const auto& v, std::size_t i) { return i < v.size() ? v[i] : typename std::decay_t<decltype(v)>::value_type{}; };
    for (const auto* a : {&month, &day, &hour})
      for (std::size_t i = 0; i < n; ++i) Put(out, at(*a, i));
    for (std::size_t i = 0; i < n; ++i) Put(out, at(elapsedMinutes, i));
    for (std::size_t i = 0; i < n; ++i) Put(out, at(fireType, i));
  }
  if (hasEmbrithSpots) PutSpots(out, embrithSpots.get(), n);
  if (hasTravelTimeSpots) PutSpots(out, travelTimeSpots.get(), n);
  return out;
}

bool CVectorTheme::SaveThemeFile(const std::string& path) const {
  platform::AtomicFile file(path);
  if (!file.Open() || !file.Write(ThemeBytes()) || !file.Commit()) {
    platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
    return false;
  }
  return true;
}

int CVectorTheme::LoadThemeFile(const std::string& path, bool readFireIndex) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, bytes)) return 0;
  return LoadThemeBytes(bytes, path, readFireIndex);
}

int CVectorTheme::LoadThemeBytes(const std::string& bytes, const std::string& file, bool readFireIndex) {
  Bytes in(bytes);
  auto damaged = [&](const char* what) {
    platform::Tell(platform::FormatC("%s is damaged: %s.", file.c_str(), what));
    return 0;
  };
  double e = 0, w = 0, n = 0, s = 0;
  if (!in.Get(e) || !in.Get(w) || !in.Get(n) || !in.Get(s)) return damaged("it ends inside the extent");
  std::string themeName;
  for (;;) {
    char c;
    if (!in.Get(c)) return damaged("it ends inside the name");
    if (c == '\0') break;
    if (themeName.size() == kMaxNameLength) return damaged("the name is longer than 255 bytes");
    themeName.push_back(c);
  }
  std::uint8_t vis = 0;
  std::uint32_t lc = 0, pc = 0, gc = 0;
  std::int32_t ls = 0, lw = 0, ps = 0, psz = 0, gs = 0, gw = 0, type = 0, count = 0;
  if (!in.Get(vis) || !in.Get(lc) || !in.Get(ls) || !in.Get(lw) || !in.Get(pc) || !in.Get(ps) ||
      !in.Get(psz) || !in.Get(gc) || !in.Get(gs) || !in.Get(gw) || !in.Get(type) || !in.Get(count))
    return damaged("it ends inside the display properties");
  // Every shape takes at least its 4-byte vertex count.
  if (count < 0 || static_cast<std::size_t>(count) > in.Left() / 4)
    return damaged(platform::FormatC("%d shapes do not fit in the file", count).c_str());
  const auto N = static_cast<std::size_t>(count);
  std::vector<std::unique_ptr<VectorShape>> read;
  read.reserve(N);
  for (std::size_t i = 0; i < N; ++i) {
    std::int32_t k = 0;
    if (!in.Get(k)) return damaged("it ends inside the shapes");
    if (k < 0 || static_cast<std::size_t>(k) > in.Left() / kVertexBytes)
      return damaged(platform::FormatC("shape %zu claims %d vertices the file does not hold", i, k).c_str());
    std::vector<double> x(static_cast<std::size_t>(k)), y(x.size()), z(x.size());
    for (std::size_t j = 0; j < x.size(); ++j) {
      in.Get(x[j]);
      in.Get(y[j]);
      in.Get(z[j]);
    }
    read.push_back(VectorShape::Simple(type, k, x.data(), y.data(), z.data()));
  }
  std::vector<FireSizeRecord> records;
  std::vector<std::int32_t> index;
  std::int32_t r = 0;
  // An older file ends after the shapes.
  if (in.Get(r) && r >= 1) {
    if (static_cast<std::size_t>(r) > in.Left() / kRecordBytes)
      return damaged(platform::FormatC("%d fire size records do not fit in the file", r).c_str());
    records.resize(static_cast<std::size_t>(r));
    for (FireSizeRecord& rec : records) {
      in.Get(rec.fireSize);
      in.Get(rec.fireNumber);
      in.Get(rec.ignitionX);
      in.Get(rec.ignitionY);
    }
    if (readFireIndex) {
      if (N > in.Left() / 4) return damaged("the fire index of each shape is missing");
      index.resize(N);
      for (auto& v : index) in.Get(v);
    }
  } else if (r < 0) {
    return damaged("the fire size record count is negative");
  }
  std::vector<std::int32_t> mo, da, ho, ft;
  std::vector<double> el;
  if (hasPerimeterAttributes) {
    if (N > in.Left() / 24) return damaged("the perimeter times and fire types are missing");
    for (auto* a : {&mo, &da, &ho}) {
      a->resize(N);
      for (auto& v : *a) in.Get(v);
    }
    el.resize(N);
    for (auto& v : el) in.Get(v);
    ft.resize(N);
    for (auto& v : ft) in.Get(v);
  }
  const std::size_t spotBlocks = (hasEmbrithSpots ? 1 : 0) + (hasTravelTimeSpots ? 1 : 0);
  if (spotBlocks && N > in.Left() / (kSpotBytes * spotBlocks)) return damaged("the spot fires are missing");
  if (hasEmbrithSpots) embrithSpots = GetSpots<CEmbrithSpots>(in, N);
  if (hasTravelTimeSpots) travelTimeSpots = GetSpots<CMTTSpots>(in, N);

  east = e, west = w, north = n, south = s;
  name = themeName;
  visible = vis != 0;
  lineColor = lc, lineStyle = ls, lineWidth = lw;
  pointColor = pc, pointSymbol = ps, pointSize = psz;
  polygonColor = gc, polygonStyle = gs, polygonWidth = gw;
  shapeType = type;
  shapes = std::move(read);
  fireSizeRecords = std::move(records);
  fireIndex = std::move(index);
  if (hasPerimeterAttributes) {
    month = std::move(mo), day = std::move(da), hour = std::move(ho);
    elapsedMinutes = std::move(el), fireType = std::move(ft);
    ComputePerimeterAreas();
  }
  return 1;
}

bool CVectorTheme::SaveShapefile(const std::string& path, const std::string& projection) const {
  const auto first = std::find_if(shapes.begin(), shapes.end(), [](const auto& s) { return s != nullptr; });
  if (first == shapes.end()) {
    platform::Tell("Unable to save, no shapes present");
    return false;
  }
  ShapefileWriter out(path, (*first)->type);
  bool ok = out.Open();
  auto put = [&](const VectorShape& s) {
    return out.WriteShape(s.type, s.VertexCount(), s.x.data(), s.y.data(), s.z.data(), s.partStart.data(),
                          std::max(s.PartCount(), 1));
  };
  if (hasPerimeterAttributes) {
    ok = ok && out.AddField("ENTITY", FTInteger, 20, 0) && out.AddField("Fire_Type", FTString, 64, 0) &&
         out.AddField("Month", FTInteger, 2, 0) && out.AddField("Day", FTInteger, 2, 0) &&
         out.AddField("Hour", FTInteger, 4, 0) && out.AddField("SimTime", FTDouble, 20, 4) &&
         out.AddField("Acres", FTDouble, 20, 4) && out.AddField("Hectares", FTDouble, 20, 4);
    for (int i : displayList) {
      if (!ok) break;
      if (i < 0 || i >= ShapeCount() || !shapes[static_cast<std::size_t>(i)]) continue;
      const auto b = static_cast<std::size_t>(i);
      const int rec = put(*shapes[b]);
      const bool expanding = fireType[b] == kExpandingFire;
      ok = rec >= 0 && out.WriteInteger(rec, 0, rec) && out.WriteString(rec, 1, FireTypeToName(fireType[b])) &&
           out.WriteInteger(rec, 2, month[b]) && out.WriteInteger(rec, 3, day[b]) &&
           out.WriteInteger(rec, 4, hour[b]) && out.WriteDouble(rec, 5, elapsedMinutes[b]) &&
           out.WriteDouble(rec, 6, expanding ? area[b] : 0) &&
           out.WriteDouble(rec, 7, expanding ? area[b] * 0.404686 : 0);
    }
  } else if (hasTravelTimeSpots || hasEmbrithSpots) {
    ok = ok && out.AddField("ENTITY", FTInteger, 20, 0);
    for (const char* f : {"LaunchX", "LaunchY", "LandX", "LandY", "LaunchTime", "LandTime", "Meters", "Feet"})
      ok = ok && out.AddField(f, FTDouble, 20, 4);
    for (std::size_t i = 0; i < shapes.size() && ok; ++i) {
      if (!shapes[i]) continue;
      const EngineSpot* spot =
          hasTravelTimeSpots ? static_cast<const EngineSpot*>(travelTimeSpots ? travelTimeSpots->GetSpot(static_cast<int>(i)) : nullptr)
                             : static_cast<const EngineSpot*>(embrithSpots ? embrithSpots->GetSpot(static_cast<int>(i)) : nullptr);
      if (!spot) continue;
      const int rec = put(*shapes[i]);
      const double dx = spot->GetLandX() - spot->GetLaunchX(), dy = spot->GetLandY() - spot->GetLaunchY();
      const double d2 = dx * dx + dy * dy, metres = d2 > 0 ? std::sqrt(d2) : 0;
      const double values[] = {spot->GetLaunchX(), spot->GetLaunchY(),    spot->GetLandX(), spot->GetLandY(),
                               spot->GetLaunchTime(), spot->GetLandTime(), metres,           metres * 3.28084};
      ok = rec >= 0 && out.WriteInteger(rec, 0, rec);
      for (int f = 0; f < 8 && ok; ++f) ok = out.WriteDouble(rec, f + 1, values[f]);
    }
  } else {
    const bool fires = !fireSizeRecords.empty();
    ok = ok && out.AddField(fires ? "FIRE_NUM" : "ENTITY", FTDouble, 20, 0) && out.AddField("VALUE", FTDouble, 20, 4);
    for (std::size_t i = 0; i < shapes.size() && ok; ++i) {
      if (!shapes[i]) continue;
      const int rec = put(*shapes[i]);
      const double id = fires && i < fireIndex.size() ? fireIndex[i] : rec;
      ok = rec >= 0 && out.WriteDouble(rec, 0, id) && out.WriteDouble(rec, 1, 1);
    }
  }
  ok = ok && out.Commit(projection);
  if (!ok) platform::Tell(out.Error());
  return ok;
}
