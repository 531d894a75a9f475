// libFuzzer entry point for skins: the skin file's records and actions, each
// window's description prepared, read and built into its components (with
// their pictures decoded), and any text read as one description, which must
// write back and read again to the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Error.h"
#include "config_ui/uFormText.h"
#include "config_ui/uMyControls.h"
#include "config_ui/uQVForms.h"
#include "config_ui/uSkinComponents.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  qv::TQVForms skin;
  try {
    skin.LoadSkinText(text);
  } catch (const qv::EQVError&) {
  }
  for (const qv::TQVForm& form : skin.Forms()) {
    for (const auto& [name, action] : form.Actions.Entries()) skin.FindForm(action.Param1);
    std::vector<int> lines;
    try {
      const qv::TFormObject description = qv::ReadFormText(form.PrepareFormText(&lines), &lines);
      qv::TfmQVFormParent window;
      qv::TSkinTree tree(window, {});
      tree.Load(description);
      tree.Arrange();
    } catch (const qv::EQVError&) {
    }
  }
  try {
    const std::string written = qv::WriteFormText(qv::ReadFormText(text));
    if (qv::WriteFormText(qv::ReadFormText(written)) != written) __builtin_trap();
  } catch (const qv::EQVError&) {
  }
  return 0;
}
