#include "platform/display_modes.h"

#include <d3d9.h>

#include <utility>

namespace valdor::platform {

namespace {

// The modes Direct3D 9 offers on the default adapter in the 32-bit format
// the game renders in, each once and in ascending order.
class Direct3D9DisplayModeSource final : public DisplayModeSource {
 public:
  std::vector<DisplayMode> modes() const override {
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3d) return {};
    std::vector<DisplayMode> modes;
    for (UINT i = 0; i < direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8); ++i) {
      D3DDISPLAYMODE mode{};
      // A mode that cannot be read is left out rather than listed with
      // whatever the record held.
      if (FAILED(direct3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, i, &mode))) continue;
      modes.push_back({mode.Width, mode.Height, mode.RefreshRate});
    }
    direct3d->Release();
    return ascendingUnique(std::move(modes));
  }
};

}  // namespace

std::unique_ptr<DisplayModeSource> makeSystemDisplayModeSource() {
  return std::make_unique<Direct3D9DisplayModeSource>();
}

}  // namespace valdor::platform
