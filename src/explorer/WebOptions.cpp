#include "explorer/WebOptions.h"

#include "state/ViewerSettings.h"
#include "platform/Registry.h"

namespace lumvor::xplr8900 {

namespace {

// "One page for all" as older versions stored it.
constexpr int32_t AllOnOnePage = 999;
constexpr int32_t AllOnOnePageShown = 16;

std::string StringOr(TRegistry& Registry, const char* Name, const std::string& Missing) {
    return Registry.ValueExists(Name) ? Registry.ReadString(Name) : Missing;
}

}  // namespace

void SetWebDefaults(THTMLSet& Options, int32_t Borders) {
    Options.Record = TByteRecord<THTMLSet::Size>{};
    Options.SetTextColor(clBlack);
    Options.SetPageColor(clWhite);
    Options.SetGridColor(RGB(0xEE, 0xEE, 0xEE));
    Options.SetGridBorder(Borders);
    Options.SetThumbBorder(Borders);
    Options.SetPageWidth(640);
    Options.SetCatalogPage(true);
    Options.SetLaunchBrowser(true);
    Options.SetReviewSettings(true);
    Options.SetImagesOnly(true);
    Options.SetThumbQuality(35);
    Options.SetThumbsPerPage(24);
}

std::string WithTrailingSlash(const std::string& Text) {
    if (Text.empty() || Text.back() == '/') return Text;
    return Text + "/";
}

void ReadWebOptions(std::string& WebDir) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    SetWebDefaults(HTMLset9, 1);
    if (registry.ValueExists(WebOptionsValue)) {
        // A record of another length fills only the bytes it has.
        const std::vector<uint8_t> stored = registry.ReadBinary(WebOptionsValue);
        HTMLset9.Record = TByteRecord<THTMLSet::Size>{};
        HTMLset9.Record.Load(stored.data(), stored.size());
    }
    WebFolder = StringOr(registry, WebFolderValue, BareUrlPrefix);
    PageHome = StringOr(registry, PageHomeValue, WebFolder);
    PageBanner = StringOr(registry, PageBannerValue, WebFolder);
    WebDir = StringOr(registry, WebDirValue, "");
    if (HTMLset9.ThumbsPerPage() == AllOnOnePage) HTMLset9.SetThumbsPerPage(AllOnOnePageShown);
}

void WriteWebOptions(const std::string& WebDir) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteString(WebDirValue, WebDir);
    registry.WriteString(WebFolderValue, WebFolder);
    registry.WriteString(PageHomeValue, PageHome);
    registry.WriteString(PageBannerValue, PageBanner);
    registry.WriteBinaryData(WebOptionsValue, HTMLset9.Record.Bytes.data(), int(THTMLSet::Size));
}

}  // namespace lumvor::xplr8900
