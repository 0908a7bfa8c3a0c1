#include "formats/vst3/Vst3Factory.h"

#include "formats/vst3/Vst3ClassInfo.h"
#include "formats/vst3/Vst3Plugin.h"
#include "formats/vst3/Vst3Strings.h"

#include <cstring>
#include <new>

namespace quenchbox::vst3 {

namespace {

template <typename Info>
void fillCommon(Info& info)
{
    std::memset(&info, 0, sizeof(info));
    std::memcpy(info.cid, classinfo::kClassId.bytes, sizeof(info.cid));
    info.cardinality = kManyInstances;
    copyToField(classinfo::kCategory, info.category, sizeof(info.category));
}

}  // namespace

Vst3Factory& theFactory()
{
    static Vst3Factory factory;
    return factory;
}

tresult Vst3Factory::queryInterface(const TUID iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    if (FUnknown::iid.matches(iid) || IPluginFactory::iid.matches(iid) || IPluginFactory2::iid.matches(iid)
        || IPluginFactory3::iid.matches(iid)) {
        *object = this;
        return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
}

tresult Vst3Factory::getFactoryInfo(PFactoryInfo* info)
{
    if (info == nullptr)
        return kInvalidArgument;
    std::memset(info, 0, sizeof(*info));
    copyToField(classinfo::kVendor, info->vendor, sizeof(info->vendor));
    copyToField(classinfo::kUrl, info->url, sizeof(info->url));
    copyToField(classinfo::kEmail, info->email, sizeof(info->email));
    info->flags = classinfo::kFactoryFlags;
    return kResultOk;
}

tresult Vst3Factory::getClassInfo(int32 index, PClassInfo* info)
{
    if (index != 0 || info == nullptr)
        return kInvalidArgument;
    fillCommon(*info);
    copyToField(classinfo::kName, info->name, sizeof(info->name));
    return kResultOk;
}

tresult Vst3Factory::getClassInfo2(int32 index, PClassInfo2* info)
{
    if (index != 0 || info == nullptr)
        return kInvalidArgument;
    fillCommon(*info);
    copyToField(classinfo::kName, info->name, sizeof(info->name));
    info->classFlags = classinfo::kClassFlags;
    copyToField(classinfo::kSubCategories, info->subCategories, sizeof(info->subCategories));
    copyToField(classinfo::kVendor, info->vendor, sizeof(info->vendor));
    copyToField(classinfo::kVersion, info->version, sizeof(info->version));
    copyToField(classinfo::kSdkVersion, info->sdkVersion, sizeof(info->sdkVersion));
    return kResultOk;
}

tresult Vst3Factory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    if (index != 0 || info == nullptr)
        return kInvalidArgument;
    fillCommon(*info);
    toUtf16(classinfo::kName, info->name, 64);
    info->classFlags = classinfo::kClassFlags;
    copyToField(classinfo::kSubCategories, info->subCategories, sizeof(info->subCategories));
    toUtf16(classinfo::kVendor, info->vendor, 64);
    toUtf16(classinfo::kVersion, info->version, 64);
    toUtf16(classinfo::kSdkVersion, info->sdkVersion, 64);
    return kResultOk;
}

// The instance starts with one reference; the interface asked for takes a
// second, and the first goes.
tresult Vst3Factory::createInstance(FIDString cid, FIDString iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    *object = nullptr;
    if (!classinfo::kClassId.matches(cid) || iid == nullptr)
        return kNoInterface;
    auto* plugin = new (std::nothrow) Vst3Plugin();
    if (plugin == nullptr)
        return kOutOfMemory;
    const tresult result = static_cast<IComponent*>(plugin)->queryInterface(iid, object);
    static_cast<IComponent*>(plugin)->release();
    return result;
}

tresult Vst3Factory::setHostContext(FUnknown* /*context*/) { return kResultOk; }

}  // namespace quenchbox::vst3
