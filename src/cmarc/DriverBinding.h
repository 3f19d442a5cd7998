#pragma once
// The binding members every format driver declares: the class-wide binding (created on first
// use, one per format per process) and the instance operations that reach it.
#define QM_DRIVER_BINDING(DllClass)                                                                \
public:                                                                                            \
    static void ClassLoadDLL();                                                                    \
    static void ClassFreeDLL();                                                                    \
    static DllClass* ClassDLL();                                                                   \
    void LoadDLL() override {                                                                      \
        ClassLoadDLL();                                                                            \
    }                                                                                              \
    void FreeDLL() override {                                                                      \
        ClassFreeDLL();                                                                            \
    }                                                                                              \
    TCustomArchiverDll& DLL() override;

// The parameters of the extract, add, delete and update builders.
#define QM_BUILD_PARAMS                                                                            \
    void *window, const std::string &archive, bool useResponseFile, const TFileArgs &files,        \
        const std::string &destination, const TArchiverOptions &options

// Defines the binding members for a driver whose binding lives in `slot` and is made by `make`.
#define QM_DEFINE_DRIVER_BINDING(Driver, DllClass, slot, make)                                     \
    void Driver::ClassLoadDLL() {                                                                  \
        LoadBinding(slot, make);                                                                   \
    }                                                                                              \
    void Driver::ClassFreeDLL() {                                                                  \
        if (slot)                                                                                  \
            slot->FreeDLL();                                                                       \
        slot.reset();                                                                              \
    }                                                                                              \
    DllClass* Driver::ClassDLL() {                                                                 \
        return slot.get();                                                                         \
    }                                                                                              \
    TCustomArchiverDll& Driver::DLL() {                                                            \
        if (!slot)                                                                                 \
            slot = make();                                                                         \
        return *slot;                                                                              \
    }
