<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Kalvoren</source>
        <translation>Über Kalvoren</translation>
    </message>
    <message>
        <source>Shows how physical memory is used and reclaims inactive memory on request.</source>
        <translation>Zeigt, wie der Arbeitsspeicher belegt ist, und gibt auf Wunsch inaktiven Arbeitsspeicher frei.</translation>
    </message>
    <message>
        <source>Free software under the &lt;a href=&quot;%1&quot;&gt;GNU General Public License&lt;/a&gt;, version 3 or later.</source>
        <translation>Freie Software unter der &lt;a href=&quot;%1&quot;&gt;GNU General Public License&lt;/a&gt;, Version 3 oder neuer.</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;%1&quot;&gt;Documentation&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;%1&quot;&gt;Dokumentation&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>AppController</name>
    <message>
        <source>Optimize Memory</source>
        <translation>Arbeitsspeicher optimieren</translation>
    </message>
    <message>
        <source>Do not show this notice again</source>
        <translation>Diesen Hinweis nicht mehr zeigen</translation>
    </message>
    <message>
        <source>Memory Optimized</source>
        <translation>Arbeitsspeicher optimiert</translation>
    </message>
    <message>
        <source>Do not show this after an optimization</source>
        <translation>Nach einer Optimierung nicht mehr zeigen</translation>
    </message>
    <message>
        <source>No system tray found, so the window stays open. To get the tray icon, run a tray host: on GNOME the &quot;AppIndicator and KStatusNotifierItem Support&quot; extension, elsewhere your panel&apos;s system tray or notification area.</source>
        <translation>Kein Infobereich (System Tray) gefunden, daher bleibt das Fenster offen. Für das Symbol im Infobereich braucht es einen: unter GNOME die Erweiterung „AppIndicator and KStatusNotifierItem Support“, anderswo den Infobereich (das Benachrichtigungsfeld) Ihrer Leiste.</translation>
    </message>
    <message>
        <source>Free: %1</source>
        <translation>Frei: %1</translation>
    </message>
    <message>
        <source>available: %1</source>
        <translation>verfügbar: %1</translation>
    </message>
    <message>
        <source>Kalvoren</source>
        <translation>Kalvoren</translation>
    </message>
    <message>
        <source>Only %1 of %2 is available to programs.</source>
        <translation>Nur %1 von %2 stehen Programmen zur Verfügung.</translation>
    </message>
    <message>
        <source>Memory is running low</source>
        <translation>Der Arbeitsspeicher wird knapp</translation>
    </message>
    <message>
        <source>Optimize Now</source>
        <translation>Jetzt optimieren</translation>
    </message>
</context>
<context>
    <name>Benchmark</name>
    <message>
        <source>Cancel Test</source>
        <translation>Test abbrechen</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>an unexpected error</source>
        <translation>ein unerwarteter Fehler</translation>
    </message>
    <message>
        <source>Run Test</source>
        <translation>Test starten</translation>
    </message>
    <message>
        <source>Oh, there is a problem</source>
        <translation>Oh, da gibt es ein Problem</translation>
    </message>
    <message>
        <source>I cannot proceed with those input values!, try pressing the &apos;Suggest&apos; button.
The largest total allowed now is %1 MB.</source>
        <translation>Mit diesen Eingaben kann ich nicht weitermachen! Versuchen Sie die Schaltfläche „Vorschlagen“.
Die größte Gesamtmenge, die jetzt erlaubt ist, beträgt %1 MB.</translation>
    </message>
    <message>
        <source>System refused to allocate %1 MB</source>
        <translation>Das System hat die Belegung von %1 MB verweigert</translation>
    </message>
    <message>
        <source>Exception %1, Reason %2, </source>
        <translation>Ausnahme %1, Grund %2, </translation>
    </message>
    <message>
        <source>Allocate, Use then Free %1 kB</source>
        <translation>%1 kB belegen, benutzen und freigeben</translation>
    </message>
    <message>
        <source>Last test was completed in %1 seconds</source>
        <translation>Der letzte Test dauerte %1 Sekunden</translation>
    </message>
    <message>
        <source>This test was completed in %1 seconds</source>
        <translation>Dieser Test dauerte %1 Sekunden</translation>
    </message>
    <message numerus="yes">
        <source>This test was cancelled after %1 passes, in %2 seconds</source>
        <translation>
            <numerusform>Dieser Test wurde nach %1 Durchlauf abgebrochen, nach %2 Sekunden</numerusform>
            <numerusform>Dieser Test wurde nach %1 Durchläufen abgebrochen, nach %2 Sekunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BenchmarkHelpWindow</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Benchmark Help</source>
        <translation>Hilfe zum Leistungstest</translation>
    </message>
    <message>
        <source>&lt;p&gt;The benchmark times how long the system takes to allocate memory, use it and give it back.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Total&lt;/b&gt; is the largest block in megabytes (at most 3000). &lt;b&gt;Allocations&lt;/b&gt; is the number of steps: the test takes a block of 2 bytes, fills every byte of it, frees it, and repeats with blocks growing in equal steps up to the total, one pass more than the number of allocations.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Suggest&lt;/b&gt; proposes 80% of the free and inactive memory, never more than the memory that is available without swapping, less a reserve. Larger totals are refused: on Linux they would make the kernel end a program to free memory.&lt;/p&gt;&lt;p&gt;Press &lt;b&gt;Cancel Test&lt;/b&gt; to stop after the current pass; the time of the passes run so far is still shown. Compare times of tests with the same inputs.&lt;/p&gt;</source>
        <translation>&lt;p&gt;Der Leistungstest misst, wie lange das System braucht, um Arbeitsspeicher zu belegen, zu benutzen und wieder freizugeben.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Gesamt&lt;/b&gt; ist der größte Block in Megabyte (höchstens 3000). &lt;b&gt;Belegungen&lt;/b&gt; ist die Zahl der Schritte: Der Test nimmt einen Block von 2 Byte, beschreibt jedes seiner Bytes, gibt ihn frei und wiederholt das mit Blöcken, die in gleichen Schritten bis zur Gesamtgröße wachsen, in einem Durchlauf mehr, als es Belegungen sind.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Vorschlagen&lt;/b&gt; schlägt 80 % des freien und inaktiven Arbeitsspeichers vor, nie mehr als den Speicher, der ohne Auslagern verfügbar ist, abzüglich einer Reserve. Größere Werte werden abgelehnt: Unter Linux würde der Kernel sonst ein Programm beenden, um Speicher frei zu machen.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Test abbrechen&lt;/b&gt; hält den Test nach dem laufenden Durchlauf an; die Zeit der bisherigen Durchläufe wird trotzdem angezeigt. Vergleichen Sie nur Zeiten von Tests mit denselben Eingaben.&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>BenchmarkWindow</name>
    <message>
        <source>Suggest</source>
        <translation>Vorschlagen</translation>
    </message>
    <message>
        <source>Run Test</source>
        <translation>Test starten</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Benchmark</source>
        <translation>Leistungstest</translation>
    </message>
    <message>
        <source>Megabytes to allocate in the largest pass, at most 3000</source>
        <translation>Megabyte, die der größte Durchlauf belegt, höchstens 3000</translation>
    </message>
    <message>
        <source>Number of allocations; the test runs one pass more</source>
        <translation>Zahl der Belegungen; der Test macht einen Durchlauf mehr</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>Total:</source>
        <translation>Gesamt:</translation>
    </message>
    <message>
        <source>Allocations:</source>
        <translation>Belegungen:</translation>
    </message>
    <message>
        <source>Passes left:</source>
        <translation>Verbleibende Durchläufe:</translation>
    </message>
</context>
<context>
    <name>Kalvoren::Autostart</name>
    <message>
        <source>Cannot remove %1.</source>
        <translation>%1 kann nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Cannot create the folder %1.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
</context>
<context>
    <name>Kalvoren::Cli</name>
    <message>
        <source>already running; its window was brought forward</source>
        <translation>läuft bereits; sein Fenster wurde nach vorn geholt</translation>
    </message>
    <message>
        <source>another Kalvoren keeps appearing and vanishing on the bus; giving up</source>
        <translation>ein anderes Kalvoren erscheint und verschwindet auf dem Bus immer wieder; Abbruch</translation>
    </message>
    <message>
        <source>give either --total or --suggest, not both</source>
        <translation>entweder --total oder --suggest angeben, nicht beides</translation>
    </message>
    <message>
        <source>benchmark needs --total MB (or --suggest)
Try &apos;kalvoren benchmark --help&apos;.</source>
        <translation>benchmark braucht --total MB (oder --suggest)
Weitere Informationen mit „kalvoren benchmark --help“.</translation>
    </message>
    <message>
        <source>benchmark needs --count N
Try &apos;kalvoren benchmark --help&apos;.</source>
        <translation>benchmark braucht --count N
Weitere Informationen mit „kalvoren benchmark --help“.</translation>
    </message>
    <message>
        <source>Usage: kalvoren benchmark --total MB --count N
       kalvoren benchmark --suggest [--count N]
Times allocating, using and freeing memory: N + 1 passes with blocks growing
from 2 bytes to the total, each filled byte by byte and freed again.

  --total MB   the largest block, 1 to 3000 MB, within the available memory
  --count N    the number of allocations (the test runs N + 1 passes)
  --suggest    print the suggested total (80% of free and inactive memory,
               within the available memory); with --count, run with it

Ctrl-C stops the test after its current pass and prints the time so far.
</source>
        <translation>Aufruf: kalvoren benchmark --total MB --count N
        kalvoren benchmark --suggest [--count N]
Misst, wie lange Belegen, Benutzen und Freigeben von Speicher dauern: N + 1
Durchläufe mit Blöcken, die von 2 Byte bis zur Gesamtgröße wachsen; jeder wird
Byte für Byte beschrieben und wieder freigegeben.

  --total MB   der größte Block, 1 bis 3000 MB, im Rahmen des verfügbaren
               Speichers
  --count N    die Zahl der Belegungen (der Test macht N + 1 Durchläufe)
  --suggest    die vorgeschlagene Gesamtgröße ausgeben (80 % des freien und
               inaktiven Speichers, im Rahmen des verfügbaren Speichers); mit
               --count damit testen

Strg-C hält den Test nach dem laufenden Durchlauf an und gibt die bisherige
Zeit aus.
</translation>
    </message>
    <message>
        <source>%1, %2 left</source>
        <translation>%1, noch %2</translation>
    </message>
    <message>
        <source>cannot read the memory figures: %1</source>
        <translation>die Speicherwerte können nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Suggested total: %1 MB</source>
        <translation>Vorgeschlagene Gesamtgröße: %1 MB</translation>
    </message>
    <message>
        <source>the total must be 1 to %1 MB here (available memory less a reserve), the count at least 1;
&apos;kalvoren benchmark --suggest&apos; proposes a total</source>
        <translation>die Gesamtgröße muss hier 1 bis %1 MB betragen (verfügbarer Speicher abzüglich einer Reserve), die Anzahl mindestens 1;
„kalvoren benchmark --suggest“ schlägt eine Gesamtgröße vor</translation>
    </message>
    <message>
        <source>the total must be 1 to %1 MB, the count at least 1;
&apos;kalvoren benchmark --suggest&apos; proposes a total</source>
        <translation>die Gesamtgröße muss 1 bis %1 MB betragen, die Anzahl mindestens 1;
„kalvoren benchmark --suggest“ schlägt eine Gesamtgröße vor</translation>
    </message>
    <message>
        <source>print free, inactive, wired and active memory</source>
        <translation>freien, inaktiven, fest zugewiesenen und aktiven Speicher ausgeben</translation>
    </message>
    <message>
        <source>reclaim inactive memory now (Ctrl-C cancels)</source>
        <translation>inaktiven Speicher jetzt freigeben (Strg-C bricht ab)</translation>
    </message>
    <message>
        <source>time allocating, using and freeing memory</source>
        <translation>die Zeit für Belegen, Benutzen und Freigeben messen</translation>
    </message>
    <message>
        <source>list processes by resident memory; quit or force quit one</source>
        <translation>Prozesse nach belegtem Speicher auflisten; einen (sofort) beenden</translation>
    </message>
    <message>
        <source>Usage: kalvoren [COMMAND] [OPTIONS]
Shows how physical memory is used and reclaims inactive memory.
Without a command, starts the desktop program (tray icon and window).

Commands:
</source>
        <translation>Aufruf: kalvoren [BEFEHL] [OPTIONEN]
Zeigt, wie der Arbeitsspeicher belegt ist, und gibt inaktiven Speicher frei.
Ohne Befehl startet das Desktop-Programm (Symbol im Infobereich und Fenster).

Befehle:
</translation>
    </message>
    <message>
        <source>
Options:
  --platform NAME  read the system through &apos;linux&apos; (default) or &apos;commands&apos;
                   (vm_stat, top, purge ... on PATH)
  -h, --help       show this help (kalvoren COMMAND --help for a command)
  -V, --version    show the version
</source>
        <translation>
Optionen:
  --platform NAME  das System über „linux“ (Standard) oder „commands“ lesen
                   (vm_stat, top, purge … im PATH)
  -h, --help       diese Hilfe zeigen (kalvoren BEFEHL --help für einen Befehl)
  -V, --version    die Version zeigen
</translation>
    </message>
    <message>
        <source>write error: %1</source>
        <translation>Schreibfehler: %1</translation>
    </message>
    <message>
        <source>write error</source>
        <translation>Schreibfehler</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>%1: unknown option &apos;%2&apos;
Try &apos;kalvoren %1 --help&apos;.</source>
        <translation>%1: unbekannte Option „%2“
Weitere Informationen mit „kalvoren %1 --help“.</translation>
    </message>
    <message>
        <source>%1 needs a positive number, not &apos;%2&apos;</source>
        <translation>%1 braucht eine positive Zahl, nicht „%2“</translation>
    </message>
    <message>
        <source>--platform takes &apos;linux&apos; or &apos;commands&apos;</source>
        <translation>--platform nimmt „linux“ oder „commands“</translation>
    </message>
    <message>
        <source>unknown command or option &apos;%1&apos;
Try &apos;kalvoren --help&apos;.</source>
        <translation>unbekannter Befehl oder unbekannte Option „%1“
Weitere Informationen mit „kalvoren --help“.</translation>
    </message>
    <message>
        <source>no display (DISPLAY and WAYLAND_DISPLAY are unset); printing the memory figures instead</source>
        <translation>keine Anzeige (DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt); stattdessen folgen die Speicherwerte</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>nicht verbunden</translation>
    </message>
    <message>
        <source>no session bus: %1</source>
        <translation>kein Sitzungsbus: %1</translation>
    </message>
    <message>
        <source>no Kalvoren is running</source>
        <translation>es läuft kein Kalvoren</translation>
    </message>
    <message>
        <source>the running Kalvoren did not answer %1: %2</source>
        <translation>das laufende Kalvoren hat auf %1 nicht geantwortet: %2</translation>
    </message>
    <message>
        <source>[%1] %2 of %3  %4 GB/s</source>
        <translation>[%1] %2 von %3  %4 GB/s</translation>
    </message>
    <message>
        <source>cannot read the memory figures</source>
        <translation>die Speicherwerte können nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cancelled after %1 of %2 blocks; </source>
        <translation>Abgebrochen nach %1 von %2 Blöcken; </translation>
    </message>
    <message>
        <source>Done: %1 of %2 blocks; </source>
        <translation>Fertig: %1 von %2 Blöcken; </translation>
    </message>
    <message>
        <source>touched %1 at %2 GB/s, all freed.</source>
        <translation>%1 berührt mit %2 GB/s, alles freigegeben.</translation>
    </message>
    <message>
        <source>--quit and --force-quit take one pid and stand alone</source>
        <translation>--quit und --force-quit nehmen eine PID und stehen allein</translation>
    </message>
    <message>
        <source>cannot read the process list: %1</source>
        <translation>die Prozessliste kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>Standardeingabe</translation>
    </message>
    <message>
        <source>no process lines in %1: expected top output with twelve lines before the process lines</source>
        <translation>keine Prozesszeilen in %1: erwartet wird eine Ausgabe von top mit zwölf Zeilen vor den Prozesszeilen</translation>
    </message>
    <message>
        <source>Cannot ask process %1 to quit: the session module is not installed. Use Force Quit.</source>
        <translation>Prozess %1 kann nicht um das Beenden gebeten werden: Das Sitzungsmodul ist nicht installiert. Verwenden Sie „Sofort beenden“.</translation>
    </message>
    <message>
        <source>--count needs a whole number of at least 1, not &apos;%1&apos;</source>
        <translation>--count braucht eine ganze Zahl ab 1, nicht „%1“</translation>
    </message>
    <message>
        <source>--json and --vm-stat choose different layouts; give one of them</source>
        <translation>--json und --vm-stat wählen verschiedene Formate; geben Sie nur eines an</translation>
    </message>
    <message>
        <source>--from reads a saved text, --root a saved system; give one of them</source>
        <translation>--from liest einen gespeicherten Text, --root ein gespeichertes System; geben Sie nur eines an</translation>
    </message>
    <message>
        <source>--from reads one saved text; it cannot be combined with --interval or --count</source>
        <translation>--from liest einen einzigen gespeicherten Text; es geht nicht zusammen mit --interval oder --count</translation>
    </message>
    <message>
        <source>Usage: kalvoren stats [--all] [--json | --vm-stat] [--interval SECONDS] [--count N]
                      [--from FILE|- | --root DIR]
Prints free, inactive, wired and active memory and the total.

  --all               also available memory, cache, swap, zram, zswap, pressure
  --json              one JSON object per sample, with every figure there is
  --vm-stat           the sample in the layout of a BSD-style vm_stat
  --interval SECONDS  repeat every SECONDS (for ever, or --count times)
  --count N           take N samples (2 seconds apart unless --interval)
  --from FILE         read vm_stat output or a /proc/meminfo saved in FILE
                      (&apos;-&apos;: standard input), e.g. ssh host vm_stat | kalvoren
                      stats --from -
  --root DIR          read a saved system: DIR/proc/... and DIR/sys/...
</source>
        <translation>Aufruf: kalvoren stats [--all] [--json | --vm-stat] [--interval SEKUNDEN]
                       [--count N] [--from DATEI|- | --root ORDNER]
Gibt freien, inaktiven, fest zugewiesenen und aktiven Speicher und die Summe aus.

  --all                auch verfügbaren Speicher, Cache, Auslagerung, zram,
                       zswap und Speicherdruck
  --json               ein JSON-Objekt je Messung, mit allen vorhandenen Werten
  --vm-stat            die Messung im Format eines BSD-artigen vm_stat
  --interval SEKUNDEN  alle SEKUNDEN wiederholen (ohne Ende oder so oft, wie
                       --count sagt)
  --count N            N Messungen (2 Sekunden Abstand, außer mit --interval)
  --from DATEI         in DATEI gespeicherte Ausgabe von vm_stat oder eine
                       gespeicherte /proc/meminfo lesen („-“: Standardeingabe),
                       z. B. ssh host vm_stat | kalvoren stats --from -
  --root ORDNER        ein gespeichertes System lesen: ORDNER/proc/... und
                       ORDNER/sys/...
</translation>
    </message>
    <message>
        <source>no memory figures in %1: %2</source>
        <translation>keine Speicherwerte in %1: %2</translation>
    </message>
    <message>
        <source>no memory figures in %1: expected vm_stat output with &apos;Pages free:&apos; ... &apos;Pageouts:&apos; lines, or a /proc/meminfo</source>
        <translation>keine Speicherwerte in %1: erwartet wird eine Ausgabe von vm_stat mit den Zeilen „Pages free:“ … „Pageouts:“ oder eine /proc/meminfo</translation>
    </message>
    <message>
        <source>%1: unknown</source>
        <translation>%1: unbekannt</translation>
    </message>
    <message>
        <source>%1: %2 -&gt; %3 (%4)</source>
        <translation>%1: %2 -&gt; %3 (%4)</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>available</source>
        <translation>verfügbar</translation>
    </message>
    <message>
        <source>page cache</source>
        <translation>Seiten-Cache</translation>
    </message>
    <message>
        <source>Usage: kalvoren optimize [--here] [--json] [--no-purge] [--pkexec]
Makes the system reclaim inactive memory: drops the page cache first (as root or
through pkexec), then takes and touches up to 20 blocks, and frees them. The
blocks are sized from the free and inactive memory, but on Linux never beyond
what makes the kernel give back page cache (after a purge, little or nothing),
and it stops once reclaim no longer pays. It never takes more than is available
(machine and cgroup) less a reserve; when nothing can be taken it exits with 1.
Ctrl-C cancels between blocks (exit code 130).
When the desktop program runs, plain &apos;kalvoren optimize&apos; asks it to optimize (as
its button would); any option below runs the optimization here instead.

  --here      run here even when the desktop program runs
  --json      print the result as one JSON object
  --no-purge  do not drop the page cache first
  --pkexec    when not root, ask for the purge through pkexec this time
              (setting purgeWithPkexec=true in ~/.config/Kalvoren/Kalvoren.conf
              does it always)
</source>
        <translation>Aufruf: kalvoren optimize [--here] [--json] [--no-purge] [--pkexec]
Lässt das System inaktiven Speicher freigeben: leert zuerst den Seiten-Cache (als
root oder über pkexec), belegt und berührt dann bis zu 20 Blöcke und gibt sie
wieder frei. Die Blöcke werden nach dem freien und inaktiven Speicher bemessen,
unter Linux aber nie größer, als der Kernel dafür Seiten-Cache zurückgibt (nach
dem Leeren wenig oder nichts), und es hört auf, sobald sich das nicht mehr
lohnt. Dabei belegt es nie mehr, als verfügbar ist (Rechner und cgroup),
abzüglich einer Reserve; lässt sich nichts belegen, endet es mit Status 1.
Strg-C bricht zwischen zwei Blöcken ab (Exit-Status 130).
Läuft das Desktop-Programm, bittet ein schlichtes „kalvoren optimize“ dieses um
die Optimierung (wie seine Schaltfläche); jede Option unten optimiert
stattdessen hier.

  --here      hier optimieren, auch wenn das Desktop-Programm läuft
  --json      das Ergebnis als ein JSON-Objekt ausgeben
  --no-purge  den Seiten-Cache vorher nicht leeren
  --pkexec    ohne root-Rechte dieses Mal über pkexec um das Leeren bitten
              (purgeWithPkexec=true in ~/.config/Kalvoren/Kalvoren.conf tut
              das immer)
</translation>
    </message>
    <message>
        <source>--sort takes rss, cpu, pid or command, not &apos;%1&apos;</source>
        <translation>--sort nimmt rss, cpu, pid oder command, nicht „%1“</translation>
    </message>
    <message>
        <source>--user needs the live list: a saved top text names no users</source>
        <translation>--user braucht die aktuelle Liste: Ein gespeicherter top-Text nennt keine Benutzer</translation>
    </message>
    <message>
        <source>Usage: kalvoren processes [--json] [--user NAME] [--sort KEY] [--from FILE|-]
       kalvoren processes --quit PID | --force-quit PID
Lists the processes once, largest resident memory first: pid, resident size,
CPU % and command.

  --json            one JSON array of {pid, rsize, rsize_bytes, cpu, command,
                    user}
  --user NAME       only the processes of user NAME (a login name or uid)
  --sort KEY        rss (largest first, the default), cpu (busiest first), pid
                    or command
  --from FILE       read the output of &apos;top -l 1 -o rsize -stats
                    pid,rsize,cpu,command&apos; saved in FILE (&apos;-&apos;: standard input)
  --quit PID        ask the process&apos;s windows to close
  --force-quit PID  send the process the termination signal (SIGTERM)
</source>
        <translation>Aufruf: kalvoren processes [--json] [--user NAME] [--sort SCHLÜSSEL]
                          [--from DATEI|-]
        kalvoren processes --quit PID | --force-quit PID
Listet die Prozesse einmal auf, den größten residenten Speicher zuerst: PID,
residenter Speicher, CPU % und Befehl.

  --json            ein JSON-Array aus {pid, rsize, rsize_bytes, cpu, command,
                    user}
  --user NAME       nur die Prozesse des Benutzers NAME (Anmeldename oder UID)
  --sort SCHLÜSSEL  rss (größte zuerst, die Vorgabe), cpu (am meisten
                    beschäftigte zuerst), pid oder command
  --from DATEI      die in DATEI gespeicherte Ausgabe von „top -l 1 -o rsize
                    -stats pid,rsize,cpu,command“ lesen („-“: Standardeingabe)
  --quit PID        die Fenster des Prozesses bitten, sich zu schließen
  --force-quit PID  dem Prozess das Beendigungssignal senden (SIGTERM)
</translation>
    </message>
</context>
<context>
    <name>Kalvoren::MemoryChange</name>
    <message>
        <source>Free memory</source>
        <translation>Freier Speicher</translation>
    </message>
    <message>
        <source>Available memory</source>
        <translation>Verfügbarer Speicher</translation>
    </message>
    <message>
        <source>Page cache</source>
        <translation>Seiten-Cache</translation>
    </message>
    <message>
        <source>The page cache was dropped first.</source>
        <translation>Der Seiten-Cache wurde zuerst geleert.</translation>
    </message>
    <message>
        <source>The page cache could not be dropped first: %1</source>
        <translation>Der Seiten-Cache konnte nicht zuerst geleert werden: %1</translation>
    </message>
    <message>
        <source>The page cache was not dropped first.</source>
        <translation>Der Seiten-Cache wurde nicht zuerst geleert.</translation>
    </message>
    <message>
        <source>No memory was taken: only %1 is available, within the %2 kept free.</source>
        <translation>Es wurde kein Speicher belegt: Nur %1 sind verfügbar, innerhalb der %2, die frei bleiben.</translation>
    </message>
    <message>
        <source>No memory was taken: the kernel has no page cache left to give back for it.</source>
        <translation>Es wurde kein Speicher belegt: Der Kernel hat keinen Seiten-Cache mehr, den er dafür zurückgeben könnte.</translation>
    </message>
    <message>
        <source>No memory was taken: the figures left nothing to take.</source>
        <translation>Es wurde kein Speicher belegt: Nach den Werten blieb nichts zu belegen.</translation>
    </message>
    <message>
        <source>Stopped early: the kernel no longer gave back page cache.</source>
        <translation>Vorzeitig beendet: Der Kernel gab keinen Seiten-Cache mehr zurück.</translation>
    </message>
    <message>
        <source>Stopped early to keep a reserve free.</source>
        <translation>Vorzeitig beendet, um eine Reserve frei zu halten.</translation>
    </message>
    <message>
        <source>1 allocation failed.</source>
        <translation>1 Belegung ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>%1 allocations failed.</source>
        <translation>%1 Belegungen sind fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Took %1 s.</source>
        <translation>Dauer: %1 s.</translation>
    </message>
</context>
<context>
    <name>Kalvoren::MemoryLogModel</name>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>Inactive</source>
        <translation>Inaktiv</translation>
    </message>
    <message>
        <source>Wired</source>
        <translation>Fest zugewiesen</translation>
    </message>
    <message>
        <source>Active</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
</context>
<context>
    <name>Kalvoren::OptimizationNotice</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Kalvoren has finished optimizing memory.</source>
        <translation>Kalvoren hat den Arbeitsspeicher optimiert.</translation>
    </message>
    <message>
        <source>Optimizing asks the system to give back memory that programs are not using. Kalvoren first purges the disk caches, then takes as much memory as still makes the system give back cached data, for a short while, touches it, and gives it all back.

While it runs the computer may be slow for a few seconds, and programs that sat idle may take a moment to answer afterwards. The progress bar in the Kalvoren window shows how far it got; its Cancel button stops the run.

Closing this notice is the same as Cancel: nothing is started.</source>
        <translation>Beim Optimieren wird das System gebeten, Arbeitsspeicher zurückzugeben, den Programme nicht benutzen. Kalvoren leert zuerst die Festplatten-Caches, belegt dann für kurze Zeit so viel Speicher, wie das System noch zwischengespeicherte Daten zurückgeben lässt, berührt ihn und gibt ihn vollständig zurück.

Währenddessen kann der Rechner einige Sekunden lang langsam sein, und Programme, die untätig waren, brauchen danach vielleicht einen Moment, bis sie antworten. Der Fortschrittsbalken im Kalvoren-Fenster zeigt, wie weit es ist; seine Schaltfläche „Abbrechen“ beendet den Lauf.

Diesen Hinweis zu schließen ist dasselbe wie „Abbrechen“: Es wird nichts gestartet.</translation>
    </message>
</context>
<context>
    <name>Kalvoren::Platform</name>
    <message>
        <source>the %1 platform has no process list</source>
        <translation>die Plattform %1 hat keine Prozessliste</translation>
    </message>
    <message>
        <source>The %1 platform cannot quit processes.</source>
        <translation>Die Plattform %1 kann keine Prozesse beenden.</translation>
    </message>
    <message>
        <source>Process %1 is no longer running.</source>
        <translation>Prozess %1 läuft nicht mehr.</translation>
    </message>
    <message>
        <source>Not permitted to end process %1: it belongs to another user.</source>
        <translation>Prozess %1 darf nicht beendet werden: Er gehört einem anderen Benutzer.</translation>
    </message>
    <message>
        <source>Could not signal process %1: %2</source>
        <translation>Das Signal an Prozess %1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>vm_stat printed nothing</source>
        <translation>vm_stat hat nichts ausgegeben</translation>
    </message>
    <message>
        <source>vm_stat printed no memory figures in the expected layout</source>
        <translation>vm_stat hat keine Speicherwerte im erwarteten Format ausgegeben</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a process Kalvoren may act on.</source>
        <translation>„%1“ ist kein Prozess, auf den Kalvoren einwirken darf.</translation>
    </message>
    <message>
        <source>cannot start top</source>
        <translation>top kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>top printed nothing</source>
        <translation>top hat nichts ausgegeben</translation>
    </message>
    <message>
        <source>%1 (process %2) did not accept the request to quit (osascript status %3).</source>
        <translation>%1 (Prozess %2) hat die Bitte, sich zu beenden, nicht angenommen (osascript-Status %3).</translation>
    </message>
    <message>
        <source>Asked %1 (process %2) to quit.</source>
        <translation>%1 (Prozess %2) wurde gebeten, sich zu beenden.</translation>
    </message>
    <message>
        <source>kill %1 failed (status %2): the process has ended or belongs to another user.</source>
        <translation>kill %1 ist fehlgeschlagen (Status %2): Der Prozess ist beendet oder gehört einem anderen Benutzer.</translation>
    </message>
    <message>
        <source>Sent process %1 the termination signal.</source>
        <translation>Prozess %1 wurde das Beendigungssignal gesendet.</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a process Kalvoren may quit.</source>
        <translation>„%1“ ist kein Prozess, den Kalvoren zum Beenden auffordern darf.</translation>
    </message>
    <message>
        <source>Cannot ask process %1 to quit: no window system is available. Use Force Quit.</source>
        <translation>Prozess %1 kann nicht um das Beenden gebeten werden: Es ist kein Fenstersystem verfügbar. Verwenden Sie „Sofort beenden“.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a process Kalvoren may end.</source>
        <translation>„%1“ ist kein Prozess, den Kalvoren beenden darf.</translation>
    </message>
    <message>
        <source>/proc/meminfo has no %1 field</source>
        <translation>/proc/meminfo hat kein Feld %1</translation>
    </message>
    <message>
        <source>unusable page size %1</source>
        <translation>unbrauchbare Seitengröße %1</translation>
    </message>
    <message>
        <source>cannot list %1</source>
        <translation>%1 kann nicht aufgelistet werden</translation>
    </message>
    <message>
        <source>The X server did not answer within %1 seconds while asking process %2 to quit. Use Force Quit to end it.</source>
        <translation>Der X-Server hat nicht binnen %1 Sekunden geantwortet, als Prozess %2 um das Beenden gebeten wurde. Verwenden Sie „Sofort beenden“, um ihn zu beenden.</translation>
    </message>
    <message>
        <source>Cannot ask process %1 to quit: no X display to reach its windows. Use Force Quit.</source>
        <translation>Prozess %1 kann nicht um das Beenden gebeten werden: Es gibt keine X-Anzeige, über die seine Fenster erreichbar wären. Verwenden Sie „Sofort beenden“.</translation>
    </message>
    <message>
        <source>The X connection failed while asking process %1 to quit.</source>
        <translation>Die X-Verbindung ist abgebrochen, als Prozess %1 um das Beenden gebeten wurde.</translation>
    </message>
    <message>
        <source>Process %1 shows no window that can be asked to close. Use Force Quit to end it.</source>
        <translation>Prozess %1 zeigt kein Fenster, das sich schließen ließe. Verwenden Sie „Sofort beenden“, um ihn zu beenden.</translation>
    </message>
    <message>
        <source>Asked process %1 to quit (1 window).</source>
        <translation>Prozess %1 wurde gebeten, sich zu beenden (1 Fenster).</translation>
    </message>
    <message>
        <source>Asked process %1 to quit (%2 windows).</source>
        <translation>Prozess %1 wurde gebeten, sich zu beenden (%2 Fenster).</translation>
    </message>
</context>
<context>
    <name>Kalvoren::SampleReport</name>
    <message>
        <source>none</source>
        <comment>no swap</comment>
        <translation>keine</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>, zram %1:1</source>
        <translation>, zram %1:1</translation>
    </message>
    <message>
        <source>full %1 %</source>
        <translation>alle %1 %</translation>
    </message>
    <message>
        <source>some %1 %</source>
        <translation>einige %1 %</translation>
    </message>
    <message>
        <source>none</source>
        <comment>no memory pressure</comment>
        <translation>keiner</translation>
    </message>
    <message>
        <source>Available: %1</source>
        <translation>Verfügbar: %1</translation>
    </message>
    <message>
        <source>Swap: %1</source>
        <translation>Auslagerung: %1</translation>
    </message>
    <message>
        <source>Pressure: %1</source>
        <translation>Speicherdruck: %1</translation>
    </message>
    <message>
        <source>Cache: %1</source>
        <translation>Cache: %1</translation>
    </message>
    <message>
        <source> (shared memory %1)</source>
        <translation> (gemeinsamer Speicher %1)</translation>
    </message>
    <message>
        <source>%1 stored in %2</source>
        <translation>%1 gespeichert in %2</translation>
    </message>
    <message>
        <source>, ratio %1:1</source>
        <translation>, Verhältnis %1:1</translation>
    </message>
    <message>
        <source>no figures</source>
        <translation>keine Werte</translation>
    </message>
    <message>
        <source>, taking %1</source>
        <translation>, belegt %1</translation>
    </message>
    <message>
        <source> (size %1)</source>
        <translation> (Größe %1)</translation>
    </message>
    <message>
        <source>Zswap: %1</source>
        <translation>Zswap: %1</translation>
    </message>
    <message>
        <source> holding %1</source>
        <translation> für %1</translation>
    </message>
    <message>
        <source> (some %1/%2/%3</source>
        <translation> (einige %1/%2/%3</translation>
    </message>
    <message>
        <source>, full %1/%2/%3</source>
        <translation>, alle %1/%2/%3</translation>
    </message>
    <message>
        <source> % over 10 s/60 s/300 s)</source>
        <translation> % über 10 s/60 s/300 s)</translation>
    </message>
</context>
<context>
    <name>LogWindow</name>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Show changes</source>
        <translation>Änderungen zeigen</translation>
    </message>
    <message>
        <source>Memory Log</source>
        <translation>Speicherprotokoll</translation>
    </message>
    <message>
        <source>The log keeps this many rows, plus the newest sample</source>
        <translation>So viele Zeilen behält das Protokoll, dazu die neueste Messung</translation>
    </message>
    <message>
        <source>Show each figure&apos;s relative change since the previous sample</source>
        <translation>Die relative Änderung jedes Werts seit der vorigen Messung zeigen</translation>
    </message>
    <message>
        <source>Rows:</source>
        <translation>Zeilen:</translation>
    </message>
</context>
<context>
    <name>Logger</name>
    <message>
        <source>Export Log</source>
        <translation>Protokoll exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>CSV-Dateien (*.csv);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>LoggerView</name>
    <message>
        <source>now</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>-%1 min</source>
        <translation>-%1 min</translation>
    </message>
    <message>
        <source>Free %1, inactive %2</source>
        <translation>Frei %1, inaktiv %2</translation>
    </message>
    <message>
        <source>Active %1, wired %2</source>
        <translation>Aktiv %1, fest zugewiesen %2</translation>
    </message>
    <message>
        <source>Swap %1</source>
        <translation>Auslagerung %1</translation>
    </message>
    <message>
        <source>Pressure %1 %</source>
        <translation>Speicherdruck %1 %</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Optimize Memory</source>
        <translation>Arbeitsspeicher optimieren</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>Inactive</source>
        <translation>Inaktiv</translation>
    </message>
    <message>
        <source>Wired</source>
        <translation>Fest zugewiesen</translation>
    </message>
    <message>
        <source>Active</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Gesamt</translation>
    </message>
    <message>
        <source>Available</source>
        <translation>Verfügbar</translation>
    </message>
    <message>
        <source>Swap</source>
        <translation>Auslagerung</translation>
    </message>
    <message>
        <source>Pressure</source>
        <translation>Speicherdruck</translation>
    </message>
    <message>
        <source>Swap in use of the swap there is; with compressed swap in memory (zram), how much it compresses</source>
        <translation>Belegter Teil des vorhandenen Auslagerungsspeichers; bei komprimierter Auslagerung im Arbeitsspeicher (zram), wie stark sie komprimiert</translation>
    </message>
    <message>
        <source>The share of the last 10 seconds in which programs waited for memory: some of them, or all (full)</source>
        <translation>Der Anteil der letzten 10 Sekunden, in dem Programme auf Arbeitsspeicher warteten: einige davon oder alle</translation>
    </message>
    <message>
        <source>The last five minutes: wired, active, inactive and free memory from the bottom up, swap use in magenta, pressure dashed</source>
        <translation>Die letzten fünf Minuten: fest zugewiesener, aktiver, inaktiver und freier Speicher von unten nach oben, belegte Auslagerung in Magenta, Speicherdruck gestrichelt</translation>
    </message>
    <message>
        <source>n/a</source>
        <translation>k. A.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>ProcessWindow</name>
    <message>
        <source>Reading the process list...</source>
        <translation>Die Prozessliste wird gelesen …</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Force Quit</source>
        <translation>Sofort beenden</translation>
    </message>
    <message>
        <source>Kalvoren Processes</source>
        <translation>Kalvoren – Prozesse</translation>
    </message>
    <message>
        <source>Ask the selected process&apos;s windows to close</source>
        <translation>Die Fenster des ausgewählten Prozesses bitten, sich zu schließen</translation>
    </message>
    <message>
        <source>Send the selected process the termination signal</source>
        <translation>Dem ausgewählten Prozess das Beendigungssignal senden</translation>
    </message>
    <message>
        <source>Show kernel threads</source>
        <translation>Kernel-Threads anzeigen</translation>
    </message>
    <message>
        <source>Filter by command, user or pid</source>
        <translation>Nach Befehl, Benutzer oder PID filtern</translation>
    </message>
    <message>
        <source>“%1” (pid %2) shows no window that Kalvoren can ask to close.</source>
        <translation>„%1“ (PID %2) zeigt kein Fenster, das Kalvoren um das Schließen bitten kann.</translation>
    </message>
    <message>
        <source>Kalvoren cannot reach the windows of “%1” (pid %2): there is no X display to ask them through.</source>
        <translation>Kalvoren erreicht die Fenster von „%1“ (PID %2) nicht: Es gibt keine X-Anzeige, über die sie gebeten werden könnten.</translation>
    </message>
    <message>
        <source>Under Wayland, one program cannot close another&apos;s windows; Kalvoren can ask only X11 programs (through Xwayland).</source>
        <translation>Unter Wayland kann ein Programm nicht die Fenster eines anderen schließen; Kalvoren kann nur X11-Programme (über Xwayland) bitten.</translation>
    </message>
    <message>
        <source>Force quit “%1” (pid %2)? It is sent the termination signal and may lose unsaved work.</source>
        <translation>„%1“ (PID %2) sofort beenden? Der Prozess erhält das Beendigungssignal und verliert womöglich ungesicherte Arbeit.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>About Kalvoren</source>
        <translation>Über Kalvoren</translation>
    </message>
    <message>
        <source>Memory Log…</source>
        <translation>Speicherprotokoll…</translation>
    </message>
    <message>
        <source>Benchmark…</source>
        <translation>Leistungstest…</translation>
    </message>
    <message>
        <source>Processes…</source>
        <translation>Prozesse…</translation>
    </message>
    <message>
        <source>Icon Style</source>
        <translation>Symbolstil</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Einfarbig</translation>
    </message>
    <message>
        <source>Mono Inverted</source>
        <translation>Einfarbig invertiert</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbig</translation>
    </message>
    <message>
        <source>Show memory in the application icon</source>
        <translation>Speicher im Programmsymbol zeigen</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Home Page</source>
        <translation>Homepage</translation>
    </message>
    <message>
        <source>Send Feedback…</source>
        <translation>Rückmeldung senden…</translation>
    </message>
    <message>
        <source>Quit Kalvoren</source>
        <translation>Kalvoren beenden</translation>
    </message>
    <message>
        <source>Warn When Memory Runs Low</source>
        <translation>Warnen, wenn der Speicher knapp wird</translation>
    </message>
</context>
<context>
    <name>TopMonitor</name>
    <message>
        <source>Cannot read the process list: %1</source>
        <translation>Die Prozessliste kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>%1 (pid %2)</source>
        <translation>%1 (PID %2)</translation>
    </message>
    <message>
        <source>%1 has ended; nothing is selected.</source>
        <translation>%1 ist beendet; nichts ist ausgewählt.</translation>
    </message>
    <message>
        <source>Select a process first.</source>
        <translation>Wählen Sie zuerst einen Prozess aus.</translation>
    </message>
    <message>
        <source>%1 has already ended; select another process.</source>
        <translation>%1 ist bereits beendet; wählen Sie einen anderen Prozess.</translation>
    </message>
    <message>
        <source>Resident size</source>
        <translation>Residenter Speicher</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>%1 (ended)</source>
        <translation>%1 (beendet)</translation>
    </message>
    <message>
        <source>PID</source>
        <translation>PID</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>CPU %</source>
        <translation>CPU %</translation>
    </message>
</context>
</TS>
