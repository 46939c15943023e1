#include "ShellExtensionLibrary.h"

#include <dlfcn.h>

namespace zdr::test {

namespace {

template <typename Fn>
void resolve(void* module, const char* name, Fn& fn)
{
    fn = reinterpret_cast<Fn>(dlsym(module, name));
}

} // namespace

ShellExtensionLibrary::ShellExtensionLibrary(const std::string& file)
    : module_(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL))
{
    if (!module_)
        return;
    resolve(module_, "zse_CreateHandler", CreateHandler);
    resolve(module_, "zse_ReleaseHandler", ReleaseHandler);
    resolve(module_, "zse_SetMessageCallback", SetMessageCallback);
    resolve(module_, "zse_SetReceiverWait", SetReceiverWait);
    resolve(module_, "zse_PinHandOffTime", PinHandOffTime);
    resolve(module_, "zse_Initialize", Initialize);
    resolve(module_, "zse_QueryContextMenu", QueryContextMenu);
    resolve(module_, "zse_GetCommandString", GetCommandString);
    resolve(module_, "zse_InvokeCommand", InvokeCommand);
    resolve(module_, "zse_CreateMenu", CreateMenu);
    resolve(module_, "zse_DestroyMenu", DestroyMenu);
    resolve(module_, "zse_GetMenuItemCount", GetMenuItemCount);
    resolve(module_, "zse_GetMenuItem", GetMenuItem);
    resolve(module_, "zse_InsertMenuItem", InsertMenuItem);
    resolve(module_, "zse_BitmapIconName", BitmapIconName);
}

ShellExtensionLibrary::~ShellExtensionLibrary()
{
    if (handler_)
        ReleaseHandler(handler_);
    if (module_)
        dlclose(module_);
}

void ShellExtensionLibrary::record(void* context, const char* caption, const char* text)
{
    auto* self = static_cast<ShellExtensionLibrary*>(context);
    self->messages_.push_back(std::string(caption) + "|" + text);
}

zse_Handler* ShellExtensionLibrary::handler()
{
    if (!handler_) {
        handler_ = CreateHandler();
        SetMessageCallback(handler_, &ShellExtensionLibrary::record, this);
    }
    return handler_;
}

ZSE_HRESULT ShellExtensionLibrary::invoke(int offset, const std::vector<std::string>& selection,
                                          const std::string& folder)
{
    std::vector<const char*> names;
    for (const std::string& s : selection)
        names.push_back(s.c_str());
    const ZSE_HRESULT init = Initialize(handler(), folder.c_str(), names.data(), static_cast<int>(names.size()));
    if (init != ZSE_S_OK)
        return init;
    return InvokeCommand(handler(), ZSE_MAKEINTVERB(offset));
}

} // namespace zdr::test
