// Benchmark (not a test): loading the configuration file into the model, as
// the control center does at start-up and on reload, against parsing the
// same file with MSXML alone, for files of 1, 100 and 1000 rules saved the
// way the configuration program saves them (every rule with all its items).
// The store hands MSXML the file's bytes, which Wine parses much faster than
// a file name on big files; the ratios to parsing those bytes alone show
// what the copy and the objects cost.
//   bench_model_load.exe [ROUNDS]
#include <windows.h>
#include <msxml2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BOMObjects.h"
#include "BOMRoutines.h"
#include "BOMUICommands.h"
#include "BenchmarkSupport.h"
#include "XMLStorage.h"
#include "uModelLoadClasses.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const CLSID kDOMDocumentClsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

template <class F>
double Time(F f) {
    LARGE_INTEGER a = Now();
    f();
    return Milliseconds(a, Now());
}

IPtr<IBOMObjectSlave> NewRoot() {
    return Supports<IBOMObjectSlave>(IPtr<IInterface>(CreateItem("VELVICWINDOWS")));
}

// A document of `count` template rules, each matching its own class, written
// as the configuration program writes it.
bool WriteRulesFile(int count, const std::string& fileName) {
    IPtr<IBOMObjectSlave> root = NewRoot();
    IPtr<IBOMCollection> rules = Supports<IBOMCollection>(root->Resolve("window_rules"));
    if (!rules) return false;
    for (int i = 1; i <= count; ++i) {
        IPtr<IBOMObjectSlave> rule = CreateBOMObject("WINDOWRULE", "Window Rule " + std::to_string(i));
        IPtr<IBOMParam> cls = Supports<IBOMParam>(rule->Resolve(
            "conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/window_class_name"));
        if (cls) cls->SetValueSilent(Variant("VpwBenchClass" + std::to_string(i)));
        rules->Add(rule.get());
    }
    IPtr<TXMLStorage> storage(new TXMLStorage);
    bool ok = storage->New("velvic_windows") && storage->SaveObject(Supports<IPersistObject>(root).get()) &&
              storage->SaveToFile(fileName);
    root->Detach();
    return ok;
}

// The floor: a DOM document of the file, with the settings the store uses.
bool ParseOnly(const std::string& fileName) {
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CoCreateInstance(kDOMDocumentClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&doc))))
        return false;
    doc->put_async(VARIANT_FALSE);
    doc->put_preserveWhiteSpace(VARIANT_TRUE);
    std::wstring wide(fileName.begin(), fileName.end());
    VARIANT source;
    VariantInit(&source);
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = SysAllocString(wide.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    doc->load(source, &loaded);
    VariantClear(&source);
    doc->Release();
    return loaded == VARIANT_TRUE;
}

// The same parse from the file's bytes in memory, as the store does it.
bool ParseBytes(const std::string& fileName) {
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr), read = 0;
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, size);
    void* data = nullptr;
    bool ok = bytes && SUCCEEDED(SafeArrayAccessData(bytes, &data)) && ReadFile(file, data, size, &read, nullptr);
    if (data) SafeArrayUnaccessData(bytes);
    CloseHandle(file);
    IXMLDOMDocument* doc = nullptr;
    if (ok) ok = SUCCEEDED(CoCreateInstance(kDOMDocumentClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                            reinterpret_cast<void**>(&doc)));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (ok) {
        doc->put_async(VARIANT_FALSE);
        doc->put_preserveWhiteSpace(VARIANT_TRUE);
        VARIANT source;
        VariantInit(&source);
        V_VT(&source) = VT_ARRAY | VT_UI1;
        V_ARRAY(&source) = bytes;
        doc->load(source, &loaded);
        doc->Release();
    }
    if (bytes) SafeArrayDestroy(bytes);
    return loaded == VARIANT_TRUE;
}

// What the control center does with the file: a wired root, ready to serve.
IPtr<IBOMObjectSlave> LoadModel(const std::string& fileName) {
    IPtr<TXMLStorage> storage(new TXMLStorage);
    if (!storage->LoadFromFile(fileName)) return {};
    IPtr<IBOMObjectSlave> root = NewRoot();
    storage->LoadObject(Supports<IPersistObject>(root).get());
    root->SetOwner(nullptr);
    return root;
}

int CountRules(IBOMObjectSlave* root) {
    IPtr<IBOMCollection> rules = root ? Supports<IBOMCollection>(root->Resolve("window_rules")) : nullptr;
    return rules ? rules->Count() : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TComInit com;
    RegisterBOMClasses();
    RegisterUICommandClasses();
    RegisterWindowRuleModelClasses();

    char path[MAX_PATH];
    std::string dir(path, GetTempPathA(MAX_PATH, path));
    std::printf("milliseconds, median of %d rounds; ratios to parsing the file with MSXML alone (parse) and to\n"
                "parsing its bytes in memory, as the store does (bytes)\n",
                rounds);
    std::printf("%-6s %9s %10s %10s %10s %10s %12s %12s %12s %12s\n", "rules", "file KB", "parse", "bytes", "load",
                "reload", "load/parse", "reload/parse", "load/bytes", "reload/bytes");
    for (int count : {1, 100, 1000}) {
        std::string file = dir + "vpw-bench-" + std::to_string(count) + ".ini";
        if (!WriteRulesFile(count, file)) {
            std::printf("%-6d the file could not be written\n", count);
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA info{};
        GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &info);
        std::vector<double> parse, bytes, load, reload;
        IPtr<IBOMObjectSlave> model = LoadModel(file);  // warms the caches
        if (CountRules(model.get()) != count) {
            std::printf("%-6d the file loaded %d rules\n", count, CountRules(model.get()));
            return 1;
        }
        for (int r = 0; r < rounds; ++r) {
            parse.push_back(Time([&] { ParseOnly(file); }));
            bytes.push_back(Time([&] { ParseBytes(file); }));
            IPtr<IBOMObjectSlave> fresh;
            load.push_back(Time([&] { fresh = LoadModel(file); }));
            // A reload drops the model in use and loads the file anew.
            reload.push_back(Time([&] {
                model->Detach();
                model = LoadModel(file);
            }));
            fresh->Detach();
        }
        model->Detach();
        DeleteFileA(file.c_str());
        double p = Median(parse), b = Median(bytes), l = Median(load), rl = Median(reload);
        std::printf("%-6d %9lu %10.1f %10.1f %10.1f %10.1f %12.2f %12.2f %12.2f %12.2f\n", count,
                    info.nFileSizeLow / 1024, p, b, l, rl, l / p, rl / p, l / b, rl / b);
        std::fflush(stdout);
    }
    return 0;
}
