#ifndef QUENCHBOX_FORMATS_VST3_VST3FACTORY_H
#define QUENCHBOX_FORMATS_VST3_VST3FACTORY_H

#include "formats/vst3/Vst3Interface.h"

namespace quenchbox::vst3 {

// The module's one factory: the maker, and the one class "Quenchbox RZ"
// whose instances are Vst3Plugin. It lives as long as the module, so its
// reference count is a formality.
class Vst3Factory final : public IPluginFactory3 {
public:
    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }

    tresult getFactoryInfo(PFactoryInfo* info) override;
    int32 countClasses() override { return 1; }
    tresult getClassInfo(int32 index, PClassInfo* info) override;
    tresult createInstance(FIDString cid, FIDString iid, void** object) override;
    tresult getClassInfo2(int32 index, PClassInfo2* info) override;
    tresult getClassInfoUnicode(int32 index, PClassInfoW* info) override;
    tresult setHostContext(FUnknown* context) override;
};

Vst3Factory& theFactory();

}  // namespace quenchbox::vst3

#endif
