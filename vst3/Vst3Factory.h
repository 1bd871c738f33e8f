#pragma once
// The module's factory (IPluginFactory, 2 and 3): one class, the
// instrument, whose names and version come from the effect itself.

#include "vst3/Vst3Com.h"

namespace KAMO {

class Vst3Plugin;

class Vst3Factory {
public:
    // The class id hosts store in sessions: never change it.
    static const v3_tuid kClassId;

    // The one factory of the module; hosts may ref and unref it freely.
    static v3_plugin_factory** get();
    // Lets go of the instance kept for the first creation (module exit).
    static void release();

private:
    struct Names;
    static const Names& names();
    static Vst3Plugin* takeInstance();
    static v3_result queryInterface(void* self, const v3_tuid iid, void** out);
    static v3_result factoryInfo(v3_factory_info* info);
    // What every version of the class information says, and what versions
    // 2 and 3 add.
    template <class Info>
    static void fillClass(Info* info);
    template <class Info>
    static void fillDetails(Info* info);
    static v3_result classInfo(std::int32_t index, v3_class_info* info);
    static v3_result classInfo2(std::int32_t index, v3_class_info_2* info);
    static v3_result classInfo3(std::int32_t index, v3_class_info_3* info);
    static v3_result createInstance(const v3_tuid classId, const v3_tuid iid, void** out);
    static v3_plugin_factory_cpp makeTable();
};

}  // namespace KAMO
