#include "capture/gdiplus_binding.h"

#include <cstddef>

#include "platform/system_library.h"
#include "platform/utf16.h"

namespace vellum {
namespace {

template <typename Fn>
bool Resolve(const UniqueModule& module, const char* name, Fn& fn, GdiplusBindFault* fault) {
    fn = ModuleFunction<Fn>(module, name);
    if (fn)
        return true;
    if (fault)
        *fault = GdiplusBindFault{GetLastError(), name};
    return false;
}

}  // namespace

const GdiplusApi* BindGdiplus(GdiplusBindFault* fault) {
    static GdiplusApi api;
    static UniqueModule library;
    if (library)
        return &api;

    // From system32 only: a gdiplus.dll beside the program is never loaded.
    UniqueModule module = LoadSystemLibrary(L"gdiplus.dll");
    if (!module) {
        if (fault)
            *fault = GdiplusBindFault{GetLastError(), "gdiplus.dll"};
        return nullptr;
    }
    GdiplusApi candidate;
    const bool all =
        Resolve(module, "GdiplusStartup", candidate.Startup, fault) &&
        Resolve(module, "GdiplusShutdown", candidate.Shutdown, fault) &&
        Resolve(module, "GdipCreateBitmapFromHBITMAP", candidate.CreateBitmapFromHBITMAP, fault) &&
        Resolve(module, "GdipCloneBitmapAreaI", candidate.CloneBitmapAreaI, fault) &&
        Resolve(module, "GdipGetImageWidth", candidate.GetImageWidth, fault) &&
        Resolve(module, "GdipGetImageHeight", candidate.GetImageHeight, fault) &&
        Resolve(module, "GdipSaveImageToFile", candidate.SaveImageToFile, fault) &&
        Resolve(module, "GdipDisposeImage", candidate.DisposeImage, fault);
    if (!all)
        return nullptr;
    api = candidate;
    library = std::move(module);
    return &api;
}

bool GuidFromText(const std::string& text, GUID* guid) {
    const std::wstring wide = Widen(text);
    return SUCCEEDED(CLSIDFromString(wide.c_str(), guid));
}

EncoderParameterBlock::EncoderParameterBlock(const EncoderPlan& plan) {
    const size_t count = plan.params.size();
    const size_t bytes =
        offsetof(Gdiplus::EncoderParameters, Parameter) + count * sizeof(Gdiplus::EncoderParameter);
    const size_t minimum = sizeof(Gdiplus::EncoderParameters);
    storage_.assign(((bytes > minimum ? bytes : minimum) + 7) / 8, 0);
    values_.resize(count);

    auto* block = reinterpret_cast<Gdiplus::EncoderParameters*>(storage_.data());
    block->Count = static_cast<UINT>(count);
    for (size_t i = 0; i < count; ++i) {
        const EncoderParamSpec& spec = plan.params[i];
        Gdiplus::EncoderParameter& p = block->Parameter[i];
        if (!GuidFromText(spec.guid, &p.Guid))
            valid_ = false;
        values_[i] = spec.value;
        p.NumberOfValues = 1;
        p.Type = spec.type;
        p.Value = &values_[i];
    }
}

}  // namespace vellum
