#include "skin/SkinFactory.h"

#include <QPixmap>
#include <map>
#include <utility>

#include "skin/SkinEntries.h"

using skin::SkinEntry;

namespace {

const std::vector<SkinEntry>& Entries() {
  static const std::vector<SkinEntry> entries = [] {
    std::vector<SkinEntry> all;
    for (auto part : {skin::ToolbarSkins, skin::ButtonSkins, skin::ViewSkins, skin::TrackViewSkins,
                      skin::LoopBankSkins, skin::EditorSkins, skin::PictureSkins}) {
      for (SkinEntry& entry : part()) all.push_back(std::move(entry));
    }
    return all;
  }();
  return entries;
}

const SkinEntry* Find(int id) {
  for (const SkinEntry& entry : Entries()) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

}  // namespace

const draw::CBitmap& CSkinFactory::Get(int id, double scale) {
  static std::map<std::pair<int, double>, draw::CBitmap> cache;
  static const draw::CBitmap none;
  const auto key = std::make_pair(id, scale);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  const SkinEntry* entry = Find(id);
  if (!entry) return none;
  draw::CBitmap bitmap = entry->alpha ? draw::CBitmap::Transparent(entry->width, entry->height, scale)
                                      : draw::CBitmap(entry->width, entry->height, scale);
  {
    skin::CArt art(bitmap);
    entry->draw(art);
  }
  return cache.emplace(key, std::move(bitmap)).first->second;
}

QSize CSkinFactory::Size(int id) {
  const SkinEntry* entry = Find(id);
  return entry ? QSize(entry->width, entry->height) : QSize();
}

std::vector<int> CSkinFactory::Ids() {
  std::vector<int> ids;
  for (const SkinEntry& entry : Entries()) ids.push_back(entry.id);
  return ids;
}

draw::CBitmap CSkinFactory::ProgressSkin(int thickness, double scale) { return skin::DrawProgressSkin(thickness, scale); }

QImage CSkinFactory::ProgramIconImage(int pixels) { return skin::DrawProgramIcon(pixels); }

QIcon CSkinFactory::ProgramIcon() {
  QIcon icon;
  for (const int pixels : {16, 22, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(ProgramIconImage(pixels)));
  return icon;
}
