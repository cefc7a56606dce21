<?xml version="1.0" encoding="UTF-8"?>
<!-- German texts of the exported reports: report titles, headings and column labels, keyed by
     the #I18N_...# label, the column or property name, or the report type name. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:l="urn:velm:labels" exclude-result-prefixes="l">
  <xsl:variable name="lang" select="'de'"/>
  <xsl:variable name="csv-separator" select="';'"/>
  <!-- Dates are written day first (dd.MM.yyyy). -->
  <xsl:variable name="day-first" select="true()"/>
  <xsl:variable name="thousands-separator" select="'.'"/>
  <xsl:variable name="labels" select="document('')/*/l:text"/>

  <!-- Report titles -->
  <l:text key="RT_USAGE_COLOR_MONO">Nutzung nach Zeitraum: Farbe und Schwarzweiß</l:text>
  <l:text key="RT_USAGE_SIMPLEX_DUPLEX">Nutzung nach Zeitraum: Simplex und Duplex</l:text>
  <l:text key="RT_USAGE_PAPER_SIZE">Nutzung nach Zeitraum: Papierformat</l:text>
  <l:text key="RT_USAGE_COPY_SCAN_SEND_FAX">Nutzung nach Zeitraum: Druck, Kopie, Scan und Fax</l:text>
  <l:text key="RT_USAGE_TOTAL_PAGES">Nutzung nach Zeitraum: Seiten gesamt</l:text>
  <l:text key="RT_USAGE_CUSTOM">Nutzungsanalyse</l:text>
  <l:text key="RT_DEVICE_INFO_SUMMARY">Geräteinformationen im Überblick</l:text>
  <l:text key="RT_DEVICE_DISCOVERY_HISTORY">Inventar erkannter Geräte</l:text>
  <l:text key="RT_DEVICE_FW_UPGRADE">Firmware-Aktualisierungen</l:text>
  <l:text key="RT_CONSUMABLE_INFO">Verbrauchsmaterial</l:text>
  <l:text key="RT_ALERT_HISTORY">Warnungsverlauf</l:text>
  <l:text key="RT_ALERT_TREND">Warnungstrend</l:text>
  <l:text key="RT_ALERT_TRAP_HISTORY">Trap-Verlauf</l:text>
  <l:text key="RT_DEVICE_LIST">Geräteliste</l:text>
  <l:text key="RT_DEVICE_FIRMWARE_INFO">Firmware-Informationen</l:text>
  <l:text key="RT_JAC_USER_BASIC">Auftragsabrechnung nach Benutzer</l:text>
  <l:text key="RT_JAC_DEVICE_BASIC">Auftragsabrechnung nach Gerät</l:text>
  <l:text key="RT_JAC_DEVICE_PRINT_DETAILS">Druckdetails nach Gerät</l:text>
  <l:text key="RT_JAC_USER_PRINT_DETAILS">Druckdetails nach Benutzer</l:text>
  <l:text key="RT_JAC_USER_COPY_DETAILS">Kopierdetails nach Benutzer</l:text>
  <l:text key="RT_JAC_DEVICE_COPY_DETAILS">Kopierdetails nach Gerät</l:text>
  <l:text key="RT_JAC_USER_FAX_DETAILS">Faxdetails nach Benutzer</l:text>
  <l:text key="RT_JAC_DEVICE_FAX_DETAILS">Faxdetails nach Gerät</l:text>
  <l:text key="RT_JAC_USER_SCAN_DETAILS">Scandetails nach Benutzer</l:text>
  <l:text key="RT_JAC_DEVICE_SCAN_DETAILS">Scandetails nach Gerät</l:text>
  <l:text key="RT_CONSUMABLE_TONER">Toner-Warnungen</l:text>
  <l:text key="RT_USAGE_CURRENT_TOTAL_PAGES">Seiten gesamt: Gerätezähler</l:text>

  <!-- Headings and notes -->
  <l:text key="report">Bericht</l:text>
  <l:text key="period">Zeitraum</l:text>
  <l:text key="generated">Erstellt</l:text>
  <l:text key="selection">Auswahl</l:text>
  <l:text key="interval">Intervall</l:text>
  <l:text key="grouped-by">Gruppiert nach</l:text>
  <l:text key="summary">Zusammenfassung</l:text>
  <l:text key="all-devices">Alle ausgewählten Geräte</l:text>
  <l:text key="devices">Geräte</l:text>
  <l:text key="groups">Gruppen</l:text>
  <l:text key="models">Modelle</l:text>
  <l:text key="no-data">Keine Daten für diesen Bericht.</l:text>
  <l:text key="no-device-data">Keine Daten für dieses Gerät.</l:text>
  <l:text key="chart">Diagramm</l:text>
  <l:text key="total">Summe</l:text>
  <l:text key="property">Eigenschaft</l:text>
  <l:text key="value">Wert</l:text>
  <l:text key="users">Benutzer</l:text>
  <l:text key="I_HOUR">Stunde</l:text>
  <l:text key="I_DAY">Tag</l:text>
  <l:text key="I_WEEK">Woche</l:text>
  <l:text key="I_MONTH">Monat</l:text>
  <l:text key="Yes">Ja</l:text>
  <l:text key="No">Nein</l:text>

  <!-- Counter labels -->
  <l:text key="#I18N_COLOR#">Farbe</l:text>
  <l:text key="#I18N_MONO#">Schwarzweiß</l:text>
  <l:text key="#I18N_SIMPLEX#">Simplex</l:text>
  <l:text key="#I18N_DUPLEX#">Duplex</l:text>
  <l:text key="#I18N_SMALL#">Kleines Format</l:text>
  <l:text key="#I18N_LARGE#">Großes Format</l:text>
  <l:text key="#I18N_PRINT#">Druck</l:text>
  <l:text key="#I18N_COPY#">Kopie</l:text>
  <l:text key="#I18N_SCAN#">Scan</l:text>
  <l:text key="#I18N_INCOMING_FAX#">Fax-Eingang</l:text>
  <l:text key="#I18N_REPORT#">Berichte</l:text>
  <l:text key="#I18N_JAM#">Papierstaus</l:text>
  <l:text key="#I18N_SUPPLY_ALERT#">Verbrauchsmaterial-Warnungen</l:text>
  <l:text key="#I18N_DEVICE_ALERT#">Gerätewarnungen</l:text>
  <l:text key="#I18N_SERVICE_ALERT#">Servicewarnungen</l:text>
  <l:text key="Small_Simplex_Mono">Klein simplex s/w</l:text>
  <l:text key="Small_Simplex_Color">Klein simplex Farbe</l:text>
  <l:text key="Small_Duplex_Mono">Klein duplex s/w</l:text>
  <l:text key="Small_Duplex_Color">Klein duplex Farbe</l:text>
  <l:text key="Large_Simplex_Mono">Groß simplex s/w</l:text>
  <l:text key="Large_Simplex_Color">Groß simplex Farbe</l:text>
  <l:text key="Large_Duplex_Mono">Groß duplex s/w</l:text>
  <l:text key="Large_Duplex_Color">Groß duplex Farbe</l:text>
  <l:text key="Color_Counter">Farbe</l:text>
  <l:text key="Mono_Counter">Schwarzweiß</l:text>
  <l:text key="Simplex_Counter">Simplex</l:text>
  <l:text key="Duplex_Counter">Duplex</l:text>
  <l:text key="A3_Counter">A3</l:text>
  <l:text key="A4_Counter">A4</l:text>
  <l:text key="A5_Counter">A5</l:text>
  <l:text key="Letter_Counter">Letter</l:text>
  <l:text key="Exec_Counter">Executive</l:text>
  <l:text key="B5_Counter">B5</l:text>
  <l:text key="Copy_Counter">Kopie</l:text>
  <l:text key="Scan_Counter">Scan</l:text>
  <l:text key="DigiSend_Counter">Digitaler Versand</l:text>
  <l:text key="IncomingFax_Counter">Fax-Eingang</l:text>
  <l:text key="OutgoingFax_Counter">Fax-Ausgang</l:text>
  <l:text key="DigiReceive_Counter">Digitaler Empfang</l:text>
  <l:text key="Small_Counter">Kleines Format</l:text>
  <l:text key="Large_Counter">Großes Format</l:text>
  <l:text key="Print_Counter">Druck</l:text>
  <l:text key="Report_Counter">Berichte</l:text>
  <l:text key="Total">Summe</l:text>
  <l:text key="Period">Zeitraum</l:text>
  <l:text key="Jam">Papierstaus</l:text>
  <l:text key="SupplyAlert">Verbrauchsmaterial-Warnungen</l:text>
  <l:text key="DeviceAlert">Gerätewarnungen</l:text>
  <l:text key="ServiceAlert">Servicewarnungen</l:text>

  <!-- Device columns and properties -->
  <l:text key="ID">Geräte-ID</l:text>
  <l:text key="DeviceID">Geräte-ID</l:text>
  <l:text key="deviceid">Geräte-ID</l:text>
  <l:text key="Group">Gruppe</l:text>
  <l:text key="Status">Status</l:text>
  <l:text key="HostName">Hostname</l:text>
  <l:text key="IP">IP-Adresse</l:text>
  <l:text key="MAC">MAC-Adresse</l:text>
  <l:text key="Contact">Kontakt</l:text>
  <l:text key="Location">Standort</l:text>
  <l:text key="ModelName">Modell</l:text>
  <l:text key="Manufacturer">Hersteller</l:text>
  <l:text key="Serial">Seriennummer</l:text>
  <l:text key="Color">Farbfähig</l:text>
  <l:text key="Duplex">Duplexfähig</l:text>
  <l:text key="PPM">Geschwindigkeit</l:text>
  <l:text key="PhysicalMemory">Arbeitsspeicher</l:text>
  <l:text key="ConsoleBuffers">Bedienfeldpuffer</l:text>
  <l:text key="ConsoleLocked">Bedienfeld gesperrt</l:text>
  <l:text key="ConsoleLanguage">Sprache des Bedienfelds</l:text>
  <l:text key="SubnetMask">Subnetzmaske</l:text>
  <l:text key="Gateway">Gateway</l:text>
  <l:text key="Diagnostics">Diagnose</l:text>
  <l:text key="SupplyInfos">Verbrauchsmaterial</l:text>
  <l:text key="InputTrays">Papierfächer</l:text>
  <l:text key="OutputTrays">Ausgabefächer</l:text>
  <l:text key="Channels">Kanäle</l:text>
  <l:text key="Interfaces">Schnittstellen</l:text>
  <l:text key="CounterUnit">Zähleinheit</l:text>
  <l:text key="CountMarker">Seitenzähler</l:text>
  <l:text key="CountMarkerPowerOn">Seitenzähler beim Einschalten</l:text>
  <l:text key="Alerts">Warnungen</l:text>
  <l:text key="PrinterImageURL">Druckerbild</l:text>
  <l:text key="SysDescription">Systembeschreibung</l:text>
  <l:text key="DeviceDescription">Gerätebeschreibung</l:text>
  <l:text key="PPMUnit">Einheit der Geschwindigkeit</l:text>
  <l:text key="SystemUptime">Betriebszeit (Sekunden)</l:text>
  <l:text key="ErrorState">Fehlerzustand</l:text>
  <l:text key="EngineVer">Version des Druckwerks</l:text>
  <l:text key="NicVer">Version der Netzwerkkarte</l:text>
  <l:text key="RowIndex">Nr.</l:text>
  <l:text key="SupplyType">Typ</l:text>
  <l:text key="Description">Beschreibung</l:text>
  <l:text key="Unit">Einheit</l:text>
  <l:text key="MaxCapacity">Kapazität</l:text>
  <l:text key="Level">Füllstand</l:text>
  <l:text key="Name">Name</l:text>
  <l:text key="MediaName">Medium</l:text>
  <l:text key="CurrentLevel">Aktueller Füllstand</l:text>

  <!-- History columns -->
  <l:text key="AlertCode">Warnungscode</l:text>
  <l:text key="AlertGroup">Warnungsgruppe</l:text>
  <l:text key="AlertTime">Zeitpunkt</l:text>
  <l:text key="SeverityLevel">Schweregrad</l:text>
  <l:text key="TimeValue">Erfasst</l:text>
  <l:text key="TrainingLevel">Schulungsstufe</l:text>
  <l:text key="DevStatus">Erkennungsstatus</l:text>
  <l:text key="StartTime">Erkannt</l:text>
  <l:text key="FwType">Firmware</l:text>
  <l:text key="FwVersionOld">Vorherige Version</l:text>
  <l:text key="FwVersionNew">Neue Version</l:text>
  <l:text key="UpgradeTime">Aktualisiert</l:text>

  <!-- Job accounting -->
  <l:text key="Login">Anmeldename</l:text>
  <l:text key="UserName">Benutzername</l:text>
  <l:text key="GroupName">Benutzergruppe</l:text>
  <l:text key="IPAddress">IP-Adresse</l:text>
  <l:text key="HardwareAddress">MAC-Adresse</l:text>
  <l:text key="PrintedBW">Gedruckt s/w</l:text>
  <l:text key="PrintedColor">Gedruckt Farbe</l:text>
  <l:text key="CopiedBW">Kopiert s/w</l:text>
  <l:text key="CopiedColor">Kopiert Farbe</l:text>
  <l:text key="FaxTx">Gesendete Faxe</l:text>
  <l:text key="Scan">Scans</l:text>
  <l:text key="SimplexMono">Simplex s/w</l:text>
  <l:text key="SimplexColor">Simplex Farbe</l:text>
  <l:text key="DuplexMono">Duplex s/w</l:text>
  <l:text key="DuplexColor">Duplex Farbe</l:text>
  <l:text key="PaperA4">A4</l:text>
  <l:text key="PaperLetter">Letter</l:text>
  <l:text key="PaperLegal">Legal</l:text>
  <l:text key="PaperOthers">Andere Formate</l:text>
  <l:text key="Staple">Geheftet</l:text>
  <l:text key="MonoTx">Gesendet s/w</l:text>
  <l:text key="ColorTx">Gesendet Farbe</l:text>
  <l:text key="Email">E-Mail</l:text>
  <l:text key="FTP">FTP</l:text>
  <l:text key="SMB">SMB</l:text>
  <l:text key="Application">Anwendung</l:text>
  <l:text key="USB">USB</l:text>
</xsl:stylesheet>
