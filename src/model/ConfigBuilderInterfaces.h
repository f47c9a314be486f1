// The facet through which the configuration program lets the document root
// build, run and tear down its main window. The model only hands it out: the
// facet itself is GUI code, which only the configuration program links, so
// that program installs the factory that makes it.
#pragma once
#include <cstdint>
#include <functional>

#include "BOM_UI_Interfaces.h"

namespace vpw {

class TVelvicWindows;

class IConfigBuilder : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{35013AD6-5290-4BF2-B4FF-6ABB588E3C2A}");
    virtual void ShowUI() = 0;
    virtual void HideUI() = 0;
    // The main window's modal result.
    virtual int ShowModal() = 0;
};

// What the root asks its facet for the commands it decides; `inherited` is
// the answer of the root's base class.
class IRootCommands : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{9C3E41D7-62B0-4A8E-9F6B-2D51E0C7A4B3}");
    virtual std::uint8_t UpdateRootCommand(TUIAction* action, std::uint8_t inherited) = 0;
    virtual std::uint8_t ExecuteRootCommand(TUIAction* action, std::uint8_t inherited) = 0;
};

// Makes the facet for a root; the facet must not keep the root alive (the
// root keeps the facet). Without a factory the root answers no facet.
using TConfigBuilderFactory = std::function<IPtr<IConfigBuilder>(TVelvicWindows* root)>;
void SetConfigBuilderFactory(TConfigBuilderFactory factory);

}  // namespace vpw
