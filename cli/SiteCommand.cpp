// vq880 site: the site as its records say it stands, door by door.
#include "Commands.h"
#include "ConsoleContext.h"
#include "Output.h"
#include "SiteReport.h"

int RunSite(CommandRun& run) {
    const Site site = SiteOf(*run.request.records, run.request.plan.get());
    run.out.Lines(SiteLines(site));
    for (const QJsonObject& object : SiteObjects(site)) run.out.Object(object);
    int looks = 0;
    for (const SiteDoor& door : site.doors) looks += door.NeedsALook() ? 1 : 0;
    QJsonObject summary{{"command", run.request.commandName},
                        {"result", ResultName(Outcome::Success)},
                        {"doors", int(site.doors.size())},
                        {"look", looks}};
    if (site.withPlan) summary.insert("not-done", int(site.notDone.size()));
    run.out.Object(summary);
    return ExitSuccess;
}
