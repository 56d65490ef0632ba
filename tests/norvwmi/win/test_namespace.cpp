#include "test_namespace.h"

#include <string>

#include "support/memory_class_source.h"

namespace norvwmi::testing {

namespace {

PropertyDefinition Qualified(PropertyDefinition property, const char* qualifier) {
    property.qualifiers.push_back(Qualifier{qualifier, CimValue{true}});
    return property;
}

ClassDefinition SampleClass() {
    ClassDefinition sample;
    sample.name = "Sample";
    sample.properties = {
        KeyProperty("Name", CimType::String),
        Property("U8", CimType::UInt8),
        Property("S8", CimType::SInt8),
        Property("S16", CimType::SInt16),
        WithDefault(Property("U16", CimType::UInt16), CimValue{std::uint64_t{7}}),
        Property("S32", CimType::SInt32),
        Property("U32", CimType::UInt32),
        Property("S64", CimType::SInt64),
        Property("U64", CimType::UInt64),
        Property("R32", CimType::Real32),
        Property("R64", CimType::Real64),
        Property("Flag", CimType::Boolean),
        WithDefault(Property("Text", CimType::String), CimValue{std::string("dflt")}),
        Property("When", CimType::DateTime),
        Property("Letter", CimType::Char16),
        Property("Link", CimType::Reference),
        Property("Texts", CimType::String, true),
        Property("Words", CimType::UInt16, true),
    };
    return sample;
}

std::shared_ptr<MemoryClassSource> MakeSource() {
    auto source = std::make_shared<MemoryClassSource>();
    const std::string ns = "root\\test";
    source->AddClass(ns, SampleClass());

    ClassDefinition base;
    base.name = "Base";
    base.qualifiers = {Qualifier{"dynamic", CimValue{true}}};
    base.properties = {KeyProperty("Id", CimType::UInt32), Property("Caption", CimType::String)};
    source->AddClass(ns, base);
    ClassDefinition derived;
    derived.name = "Derived";
    derived.superclass = "Base";
    derived.properties = {Property("Extra", CimType::UInt16)};
    source->AddClass(ns, derived);
    source->AddInstance(ns, Instance("Base", {{"Id", CimValue{std::uint64_t{1}}, {}}}));
    source->AddInstance(ns, Instance("Derived", {{"Id", CimValue{std::uint64_t{2}}, {}},
                                                 {"Extra", CimValue{std::uint64_t{9}}, {}}}));

    ClassDefinition pair;
    pair.name = "Pair";
    pair.properties = {KeyProperty("Right", CimType::SInt32), KeyProperty("Left", CimType::String)};
    source->AddClass(ns, pair);
    source->AddInstance(ns, Instance("Pair", {{"Left", CimValue{std::string("a\"b")}, {}},
                                              {"Right", CimValue{std::int64_t{-4}}, {}}}));

    ClassDefinition numbered;
    numbered.name = "Numbered";
    numbered.properties = {KeyProperty("Index", CimType::UInt32),
                           Property("Label", CimType::String)};
    source->AddClass(ns, numbered);
    for (std::uint64_t i = 0; i < 25; ++i)
        source->AddInstance(
            ns, Instance("Numbered", {{"Index", CimValue{i}, {}},
                                      {"Label", CimValue{"n" + std::to_string(i)}, {}}}));

    ClassDefinition log;
    log.name = "RecordLog";
    log.properties = {KeyProperty("InstanceID", CimType::String)};
    MethodDefinition clear;
    clear.name = "ClearLog";
    clear.returnType = CimType::UInt32;
    clear.qualifiers = {Qualifier{"Implemented", CimValue{true}}};
    MethodDefinition rename;
    rename.name = "Rename";
    rename.parameters = {Qualified(Property("NewName", CimType::String), "in"),
                         Qualified(Property("OldName", CimType::String), "out")};
    log.methods = {clear, rename};
    source->AddClass(ns, log);
    return source;
}

}  // namespace

std::shared_ptr<ServedNamespaces> MakeTestNamespace() {
    return std::make_shared<ServedNamespaces>(MakeSource(), "TESTHOST");
}

norv::win::ComPtr<IWbemClassObject> TestClass(const char* className) {
    const auto served = MakeTestNamespace();
    auto lineage = served->Lineage("root\\test", className);
    auto object = ClassObject::Create(CimObject::MakeClass(
        std::move(*lineage), ObjectSource{served->ServerName(), "root\\test"}));
    return norv::win::ComPtr<IWbemClassObject>(object.get());
}

norv::win::ComPtr<IWbemClassObject> NewTestInstance(const char* className) {
    norv::win::ComPtr<IWbemClassObject> instance;
    TestClass(className)->SpawnInstance(0, instance.put());
    return instance;
}

}  // namespace norvwmi::testing
