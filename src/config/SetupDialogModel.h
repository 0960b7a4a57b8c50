#pragma once

#include "config/RouterCatalog.h"
#include "config/Settings.h"
#include "model/RouterTable.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

struct Configuration;

// The state and decisions of the "Configure Router" dialog, without widgets. It works on
// copies of the routers: nothing of the configuration changes until WriteResults, so closing
// the dialog without OK leaves every router as it was.
class SetupDialogModel : private ModelApplyHost {
public:
    static constexpr int kVisibleRows = 4;
    static constexpr int kMaxRouters = RouterTable::kSlots;
    static constexpr int kComPorts = 7;
    // The entry after the COM ports that takes a port address instead.
    static constexpr int kAddressEntry = kComPorts;
    static constexpr const char *kAddressEntryName = "Network or device...";
    static constexpr int kHelpSingleRouter = 1002;
    static constexpr int kHelpMultipleRouters = 1010;
    static constexpr int kHelpExtra = 1011;

    // What one of the four visible rows shows (UpdateRouterBox).
    struct Row {
        bool present = false; // a router sits at TopRow + row
        std::string frameAddress;
        int model = -1; // type code selected in the row's list, -1 for none
        bool audioBreakaway = false;
        std::string inputs;
        std::string outputs;
        std::string mapIn;
        std::string mapOut;
        // End labels (UpdateMapEndLabels): empty outside advanced mode.
        std::string mapInEnd;
        std::string mapOutEnd;
        bool mapBoxesVisible = false;
    };

    // Opens with the configured router count, each row showing its own router's model; gaps
    // in the frame addresses become rows without a model. Without any router it starts with
    // one router of the current type.
    SetupDialogModel(const Settings &settings, const RouterTable &routers);

    static std::vector<std::string> ComPortNames();
    static std::vector<std::string> CommTypeNames();

    int RouterCount() const { return m_lastRouterIndex + 1; }
    int LastRouterIndex() const { return m_lastRouterIndex; }
    int TopRow() const { return m_topRow; }
    int ScrollMaximum() const;
    bool AdvancedMode() const { return m_advancedMode; }
    bool FieldEntered() const { return m_fieldEntered; }
    // Selected entry of the COM list (0 = "COM1"), -1 for none.
    int ComPortIndex() const { return m_comPortIndex; }
    std::string ComPortName() const;
    // The port address entry is chosen; the address then names the line.
    bool UsesPortAddress() const { return m_usesAddress; }
    const std::string &PortAddress() const { return m_portAddress; }
    // The list entry to show: a COM port, kAddressEntry or -1.
    int PortListIndex() const { return m_usesAddress ? kAddressEntry : m_comPortIndex; }
    // 0 "Type A", 1 "Type B".
    int CommType() const { return m_commType; }
    // Said beside the framing when paired routers and Type B are chosen together: Type B has
    // no frame for a disconnect, so neither a disconnect nor a partner's release can be sent.
    // Empty otherwise.
    std::string PairingNote() const;
    const std::string &TimeoutText() const { return m_timeoutText; }
    const std::string &GapText() const { return m_gapText; }
    bool ExtraHelpVisible() const { return RouterCount() > 1; }
    int CountHelpTopic() const;
    Row RowAt(int row) const;
    // The dialog's router in a slot, null when the slot is empty.
    const clsRouter *DialogRouter(int slot) const { return m_routers.at(slot); }
    const RouterTable &DialogRouters() const { return m_routers; }

    // Told the family label of each model chosen while the dialog is open.
    void SetFamilyLabelHandler(std::function<void(std::string_view)> handler);

    // 0 to kComPorts - 1 a COM port, kAddressEntry the port address.
    void SetComPortIndex(int index);
    void SetPortAddress(std::string text);
    // What is wrong with an address (empty when nothing is); the link layer knows the forms.
    void SetAddressCheck(std::function<std::string(std::string_view)> check);
    void SetCommType(int commType);
    void SetTimeoutText(std::string text);
    void SetGapText(std::string text);

    // Router count 1 to 16: new routers for empty slots up to it, the slots above emptied.
    void SetRouterCount(int count);
    void SetTopRow(int topRow);
    void SetAdvancedMode(bool on);
    void ChooseModel(int row, int typeCode);
    void SetAudioBreakaway(int row, bool on);

    // The count and mapping boxes: a box's text is applied only when it loses the focus after
    // having received it. A value the router refuses leaves the box showing the kept value.
    void EnterField() { m_fieldEntered = true; }
    void ClearFieldEntered() { m_fieldEntered = false; }
    void CommitInputs(int row, std::string_view text);
    void CommitOutputs(int row, std::string_view text);
    void CommitMapIn(int row, std::string_view text);
    void CommitMapOut(int row, std::string_view text);

    void AutoOutputMapping();
    // "Reset Advanced Configuration".
    void ResetMapping();

    // OK: the checks in order; the first that fails is shown and false returned, nothing
    // changes. After true, WriteResults hands the setup over.
    bool Accept();
    bool Accepted() const { return m_accepted; }
    // Only after Accept() returned true; otherwise the configuration is left alone.
    void WriteResults(Configuration &config) const;

    // What an accepted setup hands over, applied later when the program's turn comes.
    struct Result {
        std::int16_t commType = 0;
        std::optional<std::int16_t> routerType;
        std::string commPortName;
        std::string commPortAddress;
        float routerTimeout = 0.0f;
        float commandGap = Settings::kDefaultCommandGap;
        RouterTable routers;
        // Into the configuration, keeping the route states the live routers received since
        // the dialog opened.
        void ApplyTo(Configuration &config) const;
    };
    // Empty unless the setup was accepted.
    std::optional<Result> Results() const;

private:
    // ModelApplyHost: the catalog's apply steps act on this dialog.
    int selectedModel() const override { return m_chosenModel; }
    void selectCommType(int commType) override { SetCommType(commType); }
    void showFamilyLabel(std::string_view label) override;
    bool advancedMode() const override { return m_advancedMode; }
    void autoOutputMapping() override { AutoOutputMapping(); }
    void beep() override;

    clsRouter *rowRouter(int row) const;
    void commit(int row, std::string_view text, const char *label, void (clsRouter::*setter)(int));
    void fillSlots();

    RouterTable m_routers;
    bool m_paired = false;
    int m_lastRouterIndex = 0;
    int m_topRow = 0;
    bool m_advancedMode = false;
    bool m_fieldEntered = false;
    int m_comPortIndex = 0;
    bool m_usesAddress = false;
    std::string m_portAddress;
    std::function<std::string(std::string_view)> m_addressCheck;
    int m_commType = 1;
    std::string m_timeoutText;
    std::string m_gapText;
    int m_chosenModel = -1;
    bool m_accepted = false;
    float m_acceptedTimeout = 0.0f;
    float m_acceptedGap = Settings::kDefaultCommandGap;
    std::function<void(std::string_view)> m_familyLabelHandler;
};

} // namespace corvantis
