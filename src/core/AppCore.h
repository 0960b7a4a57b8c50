#pragma once

#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "core/ActionQueue.h"
#include "core/CrosspointTruth.h"
#include "core/NameTransfer.h"
#include "core/OutputLocks.h"
#include "core/RouteReport.h"
#include "core/RouteRequest.h"
#include "core/RouterHealth.h"
#include "core/Salvos.h"
#include "core/TakePresets.h"
#include "link/MaintenanceCommands.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "link/StatusPoller.h"
#include "model/LogicalMatrix.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

// One run of the program below its windows: the configuration, the logical matrix, the macro
// recording and the link objects, with the main window's view state (level, offsets, bulk
// routing) and every decision of the main window that needs no widget. Every operator action
// goes through actions(): what it changes is announced by the signals below once the routers
// accepted it. A test makes a fresh one; nothing here is global.
class AppCore : public QObject {
    Q_OBJECT

public:
    static constexpr int kViewSize = 16;
    static constexpr int kCells = kViewSize * kViewSize;
    static constexpr int kScrollLargeChange = 8;
    static constexpr int kScrollSmallChange = 1;
    // The routing levels, also the values of CurrentLayer.
    static constexpr int kVideo = RoutingEngine::kVideo;
    static constexpr int kAudio = RoutingEngine::kAudio;
    static constexpr int kAllLevels = RoutingEngine::kAllLevels;

    enum class Side { Input, Output };

    using RouteRequest = corvantis::RouteRequest;
    struct RouteOptions {
        // Whose request: locks held by others refuse it (kAnyOwner passes every lock).
        int owner = OutputLocks::kThisComputer;
        // A router reported the change itself: nothing is sent that it already did.
        bool remote = false;
        // Many outputs at once: the window greys its buttons, locked outputs are named at the end.
        bool bulk = false;
        // Told each route's result as it ends; finished with the action.
        std::shared_ptr<RouteReport> report = nullptr;
    };

    struct ScrollRange {
        bool visible = false;
        // Minimum 0; 0 when the bar is hidden.
        int maximum = 0;
    };

    // What the rebuild decides for the window.
    struct ViewLayout {
        int maxInput = -1;
        int maxOutput = -1;
        ScrollRange inputs;
        ScrollRange outputs;
        bool levelSelectors = false;
        bool updateButton = true;
        bool switchingPanel = false;
    };

    // Where a column's markers go, in view rows (outside 0 to 15 when not in view), and how
    // far each level can be trusted; a pending route's input has a row of its own.
    struct ColumnMarks {
        int videoRow = -1;
        int audioRow = -1;
        bool split = false;
        CrosspointTruth::Cell video;
        CrosspointTruth::Cell audio;
        int pendingVideoRow = -1;
        int pendingAudioRow = -1;
        // Rows of the inputs preset in take mode.
        int presetVideoRow = -1;
        int presetAudioRow = -1;
    };

    explicit AppCore(QObject *parent = nullptr);
    ~AppCore() override;
    AppCore(const AppCore &) = delete;
    AppCore &operator=(const AppCore &) = delete;

    Configuration &config() { return m_config; }
    const Configuration &config() const { return m_config; }
    Settings &settings() { return m_config.settings; }
    const Settings &settings() const { return m_config.settings; }
    LogicalMatrix &matrix() { return m_matrix; }
    const LogicalMatrix &matrix() const { return m_matrix; }
    MacroRecording &recording() { return m_recording; }
    SerialLink &link() { return m_link; }
    const SerialLink &link() const { return m_link; }
    RoutingEngine &engine() { return m_engine; }
    StatusPoller &poller() { return m_poller; }
    MaintenanceCommands &maintenance() { return m_maintenance; }
    ActionQueue &actions() { return m_actions; }
    // Shared by the window, its macros and the network panels.
    OutputLocks &locks() { return m_locks; }
    const OutputLocks &locks() const { return m_locks; }
    const CrosspointTruth &truth() const { return m_truth; }
    const RouterHealth &health() const { return m_health; }
    // The frame addresses that hold a router, in order.
    std::vector<int> configuredRouters() const;
    Salvos &salvos() { return m_salvos; }
    const Salvos &salvos() const { return m_salvos; }
    TakePresets &presets() { return m_presets; }
    const TakePresets &presets() const { return m_presets; }
    // Sends every preset as one action and forgets them; nothing happens without presets.
    void Take();
    CrosspointTruth &truth() { return m_truth; }

    // The fields the main window sets as it loads: nothing loaded, all levels, no remote
    // click, no pending status, the polling counters at their start, macros cleared, record
    // mode idle.
    void ResetForStartup();
    // The start-up status request, as an action: it goes out once the line is free.
    void SendStartupRequestWhenFree();
    // An action runs or waits, or a poll is on the line: the window closes once they ended.
    bool MustFinishBeforeClosing() const;

    int CurrentLayer() const { return m_currentLayer; }
    // True when the level changed; a value outside 1 to 3 changes nothing.
    bool SetCurrentLayer(int level);
    bool BulkRouting() const { return m_bulkRouting; }
    // While one action routes many outputs (Control-click, a macro) the window greys its
    // buttons.
    void setBulkRouting(bool bulk);
    // Routing that goes over many outputs stops at the next one (the program is closing).
    void RequestStop() { m_stopRequested = true; }
    bool StopRequested() const { return m_stopRequested; }
    bool ConfigFromFile() const { return m_configFromFile; }
    void setConfigFromFile(bool fromFile) { m_configFromFile = fromFile; }
    bool Paired() const { return m_config.settings.MatrixSize; }

    ViewOffsets offsets() const { return m_offsets; }
    int InputOffset() const { return m_offsets.input; }
    int OutputOffset() const { return m_offsets.output; }
    void setInputOffset(int offset) { m_offsets.input = offset; }
    void setOutputOffset(int offset) { m_offsets.output = offset; }

    // The family of the configured router model, as the window's label starts; "Router"
    // until a configuration was loaded or accepted.
    std::string FamilyLabel() const;

    // The rebuild's first step, the logical matrix, and what follows from it. Throws
    // RuntimeError when the matrix cannot be built (an incomplete pair); nothing else is
    // decided then.
    ViewLayout Rebuild();
    static ScrollRange ScrollFor(int maxIndex);
    // The family name (the caption up to its first blank) and the matrix size.
    static std::string RouterLabel(std::string_view caption, int maxInput, int maxOutput);
    static bool ShowsUpdateButton(int routerType);
    static bool ShowsSwitchingPanel(int routerType);
    // Opens the port as an action; a failure is reported on the error line.
    void OpenCommPort();

    // The router and physical output of a view column; no router for an unowned column.
    PhysicalPort ColumnOwner(int viewColumn) const;
    // Where the route state of the router's physical output puts the markers. Throws
    // RuntimeError for an output the router does not have.
    ColumnMarks Marks(const clsRouter &router, int physicalOutput) const;
    ColumnMarks Marks(const clsRouter &router, int physicalOutput, ViewOffsets offsets) const;

    // ---- the matrix by logical number (0-based), for those who see no view ----
    // The router and port whose name the names panels show for the number.
    PhysicalPort NameOwnerAt(Side side, int logical) const;
    // That name, "-" when no router owns the number.
    std::string NameTextAt(Side side, int logical) const;
    // The crosspoint a click on (output, input) routes; input -1 when it belongs to another
    // router, no router when the output has none.
    PhysicalCrosspoint LogicalCrosspoint(int logicalOutput, int logicalInput) const;
    // The logical input whose video the output shows, -1 when none is known.
    int RoutedInputAt(int logicalOutput) const;

    // The physical crosspoint of a grid cell: the input looked up on the router that owns
    // the output (normal layout) or on the pair (paired layout). Input -1 when the input
    // belongs to another router.
    PhysicalCrosspoint CellCrosspoint(int cell) const;
    // The crosspoint for logical output o and view input row r when one input goes to every
    // output (the outputs are scrolled to the start then).
    PhysicalCrosspoint BulkCrosspoint(int logicalOutput, int viewInput) const;
    // The view cell of a physical crosspoint (outside 0 to 15 when not in view).
    ViewCell ViewOf(const clsRouter &router, int physicalOutput, int physicalInput) const;
    // Routes one crosspoint; true when the routers accepted it. A crosspoint without router
    // or output beeps and shows "Unassigned crosspoint" instead. Throws RuntimeError for
    // ports the router does not have. Runs inside an action.
    Task<bool> RouteCrosspoint(clsRouter *router, int physicalOutput, int physicalInput, int level);

    // ---- operator actions: each is submitted to actions() ----
    // A click on a grid cell (remote: a router reported the change itself, which no lock
    // can refuse). The crosspoint and level are those of the moment of the click.
    void RouteCell(int cell, bool remote = false);
    // The input of a view row to every output, the outputs counted from the start.
    void RouteInputToAll(int viewRow);
    // One step of a macro, inside a running action; pending while it runs. An output locked
    // against owner is not routed: a single route says so on the error line, bulk routing
    // names every skipped output when it ends. kAnyOwner passes every lock.
    static constexpr int kAnyOwner = -1;
    Task<bool> RouteAt(int frameAddress, int physicalOutput, int physicalInput, int level,
                       int owner = OutputLocks::kThisComputer, RouteReport *report = nullptr);
    // Routes as one action, in order: each is pending from now until the routers confirmed it,
    // it failed (with the reason), or it was dropped (cancelled, skipped for a lock). False when
    // the action was refused; done is told how the action ended.
    bool SubmitRoutes(const QString &label, QList<RouteRequest> routes, RouteOptions options,
                      ActionQueue::Done done = {});
    // Sends the routes of a batch that failed once more, as a batch of their own on behalf of
    // owner. False when nothing failed or the action was refused.
    bool RetryFailed(const RouteReport &report, int owner = OutputLocks::kThisComputer);
    // A batch has ended: its result line goes to the error line and the debug log.
    void FinishReport(const RouteReport &report);
    // The logical output (0-based) of a router's physical output.
    int LogicalOutputOf(const clsRouter &router, int physicalOutput) const;
    // The window's lock and unlock of a logical output; unlocking releases any holder.
    void LockOutput(int logicalOutput);
    void UnlockOutput(int logicalOutput);
    // A name typed into a names panel's box.
    void CommitInputName(int viewRow, std::string name);
    void CommitOutputName(int viewColumn, std::string name);
    void UpdateMatrix();
    // An action that talks to the routers; false when it was refused.
    bool RunOnLine(const QString &label, ActionQueue::Action action, ActionQueue::Done done = {});
    void LoadConfigurationAction();
    // The file named on the command line, without a dialog.
    void LoadConfigurationFrom(const std::string &path);
    void SaveConfigurationAction(bool quiet);
    // The setup dialog's OK: the writer puts the accepted settings and routers into the
    // configuration when the action's turn comes.
    void ApplySetup(std::function<void(Configuration &)> writer);

    // Names from and to a spreadsheet file (CSV). An import ends with one summary and can be
    // undone until the next import or a replaced configuration.
    void ImportNamesAction(const QString &path);
    void ExportNamesAction(const QString &path);
    void UndoImportAction();
    bool CanUndoImport() const { return !m_importUndo.empty(); }

    // The name shown for a view row or column, "-" when no router owns the number.
    std::string InputNameText(int viewRow) const;
    std::string OutputNameText(int viewColumn) const;
    // The name rules of the names panels: stored on the router's port, made unique within
    // the router by appending "!" (an empty name is taken as it is). Returns what was stored.
    static std::string StoreName(clsRouter &router, Side side, int port, std::string name);

    // Inside an action; true when a file was loaded.
    bool LoadConfiguration();
    void SaveConfiguration(bool quiet);
    // The end of the run: saves the configuration without asking and closes the port. When
    // nothing was loaded or accepted in this run an existing file is left as it is.
    void SaveOnExit();

signals:
    // Route states may have changed: the grid is to be redrawn.
    void routeStatesChanged();
    // Names may have changed: the names panels are to be refreshed.
    void namesChanged();
    void bulkRoutingChanged(bool bulk);
    // The routers were replaced (a loaded file or an accepted setup): the window rebuilds.
    void configurationReplaced();
    void canUndoImportChanged(bool canUndo);
    // One more route of a batch has ended.
    void routeProgress(const RouteReport &report);
    // A batch has ended, every route with its result.
    void routesReported(const RouteReport &report);

private:
    using RouteOutcome = RouteReport::Result;
    struct RouteEnd {
        RouteOutcome outcome = RouteOutcome::Skipped;
        QString why;
    };
    template <typename RowOf>
    void addTruth(ColumnMarks &marks, int frameAddress, int physicalOutput, RowOf rowOf) const;
    Task<RouteEnd> routeOne(RouteRequest route, int owner);
    // The levels a route changes on its router, or 0 when it names no output of a router.
    int truthLevels(const RouteRequest &route) const;
    void settleRoute(const RouteRequest &route, const RouteEnd &end, RouteReport *report);
    void commitName(Side side, PhysicalPort owner, std::string name);
    // True when the output is locked against owner; says so or keeps it for the bulk summary.
    bool refusedByLock(int logicalOutput, int owner);
    QString lockedText(int logicalOutput) const;
    void connectHealth();
    void setImportUndo(std::vector<NameTransfer::Replaced> replaced);
    PhysicalPort inputNameOwner(int viewRow) const;
    PhysicalPort outputNameOwner(int viewColumn) const;

    Configuration m_config;
    LogicalMatrix m_matrix{m_config.routers};
    MacroRecording m_recording;
    SerialLink m_link{m_config.settings};
    ActionQueue m_actions{m_link};
    OutputLocks m_locks;
    CrosspointTruth m_truth;
    RouterHealth m_health;
    TakePresets m_presets;
    // Outputs a running bulk route skipped because they were locked, 1-based.
    QStringList m_lockedSkipped;
    std::vector<NameTransfer::Replaced> m_importUndo;
    RoutingEngine m_engine{m_config, m_matrix, m_recording, m_link};
    StatusPoller m_poller{m_config.settings, m_link, m_engine, m_recording};
    MaintenanceCommands m_maintenance{m_config.settings, m_link};
    ViewOffsets m_offsets;
    int m_currentLayer = kAllLevels;
    bool m_bulkRouting = false;
    bool m_configFromFile = false;
    bool m_stopRequested = false;
    Salvos m_salvos{*this};
};

} // namespace corvantis
