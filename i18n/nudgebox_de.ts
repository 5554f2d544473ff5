<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Localizable</name>
    <message>
        <source>Copy to clipboard</source>
        <translation>In die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Mark as completed</source>
        <translation>Als erledigt markieren</translation>
    </message>
    <message>
        <source>Delete reminder</source>
        <translation>Erinnerung löschen</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Kategorien</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>No category selected</source>
        <translation>Keine Kategorie ausgewählt</translation>
    </message>
    <message>
        <source>No reminders</source>
        <translation>Keine Erinnerungen</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Erledigt</translation>
    </message>
    <message>
        <source>Still pending</source>
        <translation>Noch offen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Delete selection</source>
        <translation>Auswahl löschen</translation>
    </message>
    <message>
        <source>Complete selection</source>
        <translation>Auswahl als erledigt markieren</translation>
    </message>
    <message>
        <source>Baseball</source>
        <translation>Baseball</translation>
    </message>
    <message>
        <source>Basketball</source>
        <translation>Basketball</translation>
    </message>
    <message>
        <source>Birthdays</source>
        <translation>Geburtstage</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>Education</source>
        <translation>Bildung</translation>
    </message>
    <message>
        <source>Expenses</source>
        <translation>Ausgaben</translation>
    </message>
    <message>
        <source>Family</source>
        <translation>Familie</translation>
    </message>
    <message>
        <source>American football</source>
        <translation>American Football</translation>
    </message>
    <message>
        <source>Games</source>
        <translation>Spiele</translation>
    </message>
    <message>
        <source>Gardening</source>
        <translation>Gartenarbeit</translation>
    </message>
    <message>
        <source>Groceries</source>
        <translation>Einkäufe</translation>
    </message>
    <message>
        <source>Health</source>
        <translation>Gesundheit</translation>
    </message>
    <message>
        <source>Love</source>
        <translation>Liebe</translation>
    </message>
    <message>
        <source>Medicines</source>
        <translation>Medikamente</translation>
    </message>
    <message>
        <source>Movies</source>
        <translation>Filme</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>Musik</translation>
    </message>
    <message>
        <source>Personal</source>
        <translation>Persönliches</translation>
    </message>
    <message>
        <source>Pets</source>
        <translation>Haustiere</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>Sleeping</source>
        <translation>Schlafen</translation>
    </message>
    <message>
        <source>Soccer</source>
        <translation>Fußball</translation>
    </message>
    <message>
        <source>Swimming</source>
        <translation>Schwimmen</translation>
    </message>
    <message>
        <source>Tennis</source>
        <translation>Tennis</translation>
    </message>
    <message>
        <source>Transportation</source>
        <translation>Verkehrsmittel</translation>
    </message>
    <message>
        <source>Vacations</source>
        <translation>Urlaub</translation>
    </message>
    <message>
        <source>Vehicle</source>
        <translation>Fahrzeug</translation>
    </message>
    <message>
        <source>Weather</source>
        <translation>Wetter</translation>
    </message>
    <message>
        <source>Webpages</source>
        <translation>Webseiten</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Arbeit</translation>
    </message>
    <message>
        <source>Workouts</source>
        <translation>Training</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>5 minutes</source>
        <translation>5 Minuten</translation>
    </message>
    <message>
        <source>10 minutes</source>
        <translation>10 Minuten</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 Minuten</translation>
    </message>
    <message>
        <source>20 minutes</source>
        <translation>20 Minuten</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 Minuten</translation>
    </message>
    <message>
        <source>45 minutes</source>
        <translation>45 Minuten</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>2 hours</source>
        <translation>2 Stunden</translation>
    </message>
    <message>
        <source>6 hours</source>
        <translation>6 Stunden</translation>
    </message>
    <message>
        <source>8 hours</source>
        <translation>8 Stunden</translation>
    </message>
    <message>
        <source>12 hours</source>
        <translation>12 Stunden</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 Tag</translation>
    </message>
    <message>
        <source>2 days</source>
        <translation>2 Tage</translation>
    </message>
    <message>
        <source>7 days</source>
        <translation>7 Tage</translation>
    </message>
    <message>
        <source>30 days</source>
        <translation>30 Tage</translation>
    </message>
    <message>
        <source>https://nudgebox.org/contact</source>
        <translation>https://nudgebox.org/contact</translation>
    </message>
    <message>
        <source>https://nudgebox.org/privacy</source>
        <translation>https://nudgebox.org/privacy</translation>
    </message>
    <message>
        <source>One time only</source>
        <translation>Einmalig</translation>
    </message>
    <message>
        <source>At intervals</source>
        <translation>Wiederholt</translation>
    </message>
    <message>
        <source>Pending reminders</source>
        <translation>Offene Erinnerungen</translation>
    </message>
    <message>
        <source>Completed reminders</source>
        <translation>Erledigte Erinnerungen</translation>
    </message>
    <message>
        <source>New reminder</source>
        <translation>Neue Erinnerung</translation>
    </message>
    <message>
        <source>Add reminder</source>
        <translation>Erinnerung hinzufügen</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Show chart</source>
        <translation>Diagramm anzeigen</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informationen</translation>
    </message>
    <message>
        <source>Reorder</source>
        <translation>Verschieben</translation>
    </message>
    <message>
        <source>Create reminder</source>
        <translation>Benachrichtigung planen</translation>
    </message>
    <message>
        <source>Change category</source>
        <translation>Kategorie ändern</translation>
    </message>
    <message>
        <source>Collapse this section</source>
        <translation>Abschnitt einklappen</translation>
    </message>
    <message>
        <source>Expand this section</source>
        <translation>Abschnitt ausklappen</translation>
    </message>
    <message>
        <source>Mark all as completed</source>
        <translation>Alle als erledigt markieren</translation>
    </message>
    <message>
        <source>Delete all reminders</source>
        <translation>Alle Erinnerungen löschen</translation>
    </message>
    <message>
        <source>Contact details</source>
        <translation>Kontakt</translation>
    </message>
    <message>
        <source>Privacy policy</source>
        <translation>Datenschutzerklärung</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Favoriten</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>Weitere</translation>
    </message>
    <message>
        <source>Remove favorite</source>
        <translation>Aus Favoriten entfernen</translation>
    </message>
    <message>
        <source>Add favorite</source>
        <translation>Zu Favoriten hinzufügen</translation>
    </message>
    <message>
        <source>Set as default</source>
        <translation>Als Standard festlegen</translation>
    </message>
    <message>
        <source>Remove all favorites</source>
        <translation>Alle Favoriten entfernen</translation>
    </message>
    <message>
        <source>Complete a task</source>
        <translation>Aufgabe erledigen</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>Keep track of all your pending tasks.</source>
        <translation>Behalte alle offenen Aufgaben im Blick.</translation>
    </message>
    <message>
        <source>There are no reminders</source>
        <translation>Es gibt keine Erinnerungen</translation>
    </message>
    <message>
        <source>No pending reminders</source>
        <translation>Keine offenen Erinnerungen</translation>
    </message>
    <message>
        <source>%1, %2 completed</source>
        <translation>%1, %2 erledigt</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Select %1</source>
        <translation>%1 auswählen</translation>
    </message>
    <message>
        <source>Expanded</source>
        <translation>Ausgeklappt</translation>
    </message>
    <message>
        <source>Collapsed</source>
        <translation>Eingeklappt</translation>
    </message>
    <message>
        <source>Reminders</source>
        <translation>Erinnerungen</translation>
    </message>
    <message>
        <source>%1 completed</source>
        <translation>%1 erledigt</translation>
    </message>
    <message>
        <source>Store Mirror</source>
        <translation>Speicherspiegel</translation>
    </message>
    <message>
        <source>Mirror the reminders to a task collection on your own CalDAV server (Nextcloud, Radicale, …).</source>
        <translation>Die Erinnerungen in eine Aufgabensammlung auf Ihrem eigenen CalDAV-Server spiegeln (Nextcloud, Radicale, …).</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Server address</source>
        <translation>Serveradresse</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Test Connection</source>
        <translation>Verbindung testen</translation>
    </message>
    <message>
        <source>Task Collection</source>
        <translation>Aufgabensammlung</translation>
    </message>
    <message>
        <source>New collection name</source>
        <translation>Name der neuen Sammlung</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message>
        <source>Create Collection</source>
        <translation>Sammlung erstellen</translation>
    </message>
    <message>
        <source>Mirror the Reminders</source>
        <translation>Erinnerungen spiegeln</translation>
    </message>
    <message>
        <source>Last sync</source>
        <translation>Letzter Abgleich</translation>
    </message>
    <message>
        <source>Last error</source>
        <translation>Letzter Fehler</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>Jetzt abgleichen</translation>
    </message>
    <message>
        <source>Enter the server&apos;s address, starting with https://</source>
        <translation>Geben Sie die Adresse des Servers ein, beginnend mit https://</translation>
    </message>
    <message>
        <source>Enter the user name.</source>
        <translation>Geben Sie den Benutzernamen ein.</translation>
    </message>
    <message>
        <source>Test the connection before creating a collection.</source>
        <translation>Testen Sie die Verbindung, bevor Sie eine Sammlung erstellen.</translation>
    </message>
    <message>
        <source>Enter a name for the new collection.</source>
        <translation>Geben Sie einen Namen für die neue Sammlung ein.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is too large.</source>
        <translation>Die Antwort des Servers ist zu groß.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted, so the connection was refused: %1</source>
        <translation>Dem Zertifikat des Servers wird nicht vertraut, daher wurde die Verbindung abgelehnt: %1</translation>
    </message>
    <message>
        <source>The server refused the user name or password.</source>
        <translation>Der Server hat Benutzername oder Passwort abgelehnt.</translation>
    </message>
    <message>
        <source>The server does not allow this (HTTP 403).</source>
        <translation>Der Server erlaubt das nicht (HTTP 403).</translation>
    </message>
    <message>
        <source>There is nothing at this address on the server (HTTP 404).</source>
        <translation>Unter dieser Adresse gibt es auf dem Server nichts (HTTP 404).</translation>
    </message>
    <message>
        <source>The server did not answer in time.</source>
        <translation>Der Server hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>Cannot reach the server: %1</source>
        <translation>Der Server ist nicht erreichbar: %1</translation>
    </message>
    <message>
        <source>The server answered with an error (HTTP %1).</source>
        <translation>Der Server hat mit einem Fehler geantwortet (HTTP %1).</translation>
    </message>
    <message>
        <source>The server does not let this user create a collection here (HTTP %1).</source>
        <translation>Der Server lässt diesen Benutzer hier keine Sammlung erstellen (HTTP %1).</translation>
    </message>
    <message>
        <source>The server does not answer as a CalDAV server (HTTP %1).</source>
        <translation>Der Server antwortet nicht wie ein CalDAV-Server (HTTP %1).</translation>
    </message>
    <message>
        <source>The server&apos;s answer could not be read: %1</source>
        <translation>Die Antwort des Servers konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>No Secret Service is running (such as GNOME Keyring or KWallet), so the password cannot be kept. Start one and try again.</source>
        <translation>Es läuft kein Geheimnisdienst (etwa GNOME Keyring oder KWallet), daher kann das Passwort nicht aufbewahrt werden. Starten Sie einen und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The Secret Service refused: %1</source>
        <translation>Der Geheimnisdienst hat abgelehnt: %1</translation>
    </message>
    <message>
        <source>The mirror&apos;s settings could not be read: %1</source>
        <translation>Die Einstellungen des Spiegels konnten nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Connected. The server has no task collection yet: create one.</source>
        <translation>Verbunden. Der Server hat noch keine Aufgabensammlung: Erstellen Sie eine.</translation>
    </message>
    <message>
        <source>Connected. Choose the collection to mirror the reminders to, or create one.</source>
        <translation>Verbunden. Wählen Sie die Sammlung, in die die Erinnerungen gespiegelt werden, oder erstellen Sie eine.</translation>
    </message>
    <message>
        <source>The mirror&apos;s agent did not answer: %1</source>
        <translation>Der Dienst des Spiegels hat nicht geantwortet: %1</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbinde …</translation>
    </message>
    <message>
        <source>Creating the collection…</source>
        <translation>Sammlung wird erstellt …</translation>
    </message>
    <message>
        <source>The mirror&apos;s settings could not be saved: %1</source>
        <translation>Die Einstellungen des Spiegels konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Saved. The reminders are mirrored.</source>
        <translation>Gespeichert. Die Erinnerungen werden gespiegelt.</translation>
    </message>
    <message>
        <source>Saved. The mirror is off.</source>
        <translation>Gespeichert. Der Spiegel ist aus.</translation>
    </message>
    <message>
        <source>The password was not stored: %1</source>
        <translation>Das Passwort wurde nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>The mirror&apos;s agent is not running.</source>
        <translation>Der Dienst des Spiegels läuft nicht.</translation>
    </message>
    <message>
        <source>The running agent has no store mirror.</source>
        <translation>Der laufende Dienst hat keinen Speicherspiegel.</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Abgleich läuft …</translation>
    </message>
    <message>
        <source>Up to date</source>
        <translation>Auf dem neuesten Stand</translation>
    </message>
    <message>
        <source>Stopped by an error</source>
        <translation>Wegen eines Fehlers angehalten</translation>
    </message>
    <message>
        <source>Offline: changes are kept until the server can be reached</source>
        <translation>Offline: Änderungen werden aufbewahrt, bis der Server erreichbar ist</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
</context>
</TS>
