<?xml version="1.0" encoding="UTF-8"?>
<!-- English texts of the exported reports: report titles, headings and column labels, keyed by
     the #I18N_...# label, the column or property name, or the report type name. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:l="urn:velm:labels" exclude-result-prefixes="l">
  <xsl:variable name="lang" select="'en'"/>
  <xsl:variable name="csv-separator" select="','"/>
  <!-- Dates are written year first (yyyy-MM-dd), as the report holds them. -->
  <xsl:variable name="day-first" select="false()"/>
  <xsl:variable name="thousands-separator" select="','"/>
  <xsl:variable name="labels" select="document('')/*/l:text"/>

  <!-- Report titles -->
  <l:text key="RT_USAGE_COLOR_MONO">Usage by period: color and mono</l:text>
  <l:text key="RT_USAGE_SIMPLEX_DUPLEX">Usage by period: simplex and duplex</l:text>
  <l:text key="RT_USAGE_PAPER_SIZE">Usage by period: paper size</l:text>
  <l:text key="RT_USAGE_COPY_SCAN_SEND_FAX">Usage by period: print, copy, scan and fax</l:text>
  <l:text key="RT_USAGE_TOTAL_PAGES">Usage by period: total pages</l:text>
  <l:text key="RT_USAGE_CUSTOM">Usage analysis</l:text>
  <l:text key="RT_DEVICE_INFO_SUMMARY">Device information summary</l:text>
  <l:text key="RT_DEVICE_DISCOVERY_HISTORY">Discovered device inventory</l:text>
  <l:text key="RT_DEVICE_FW_UPGRADE">Firmware upgrades</l:text>
  <l:text key="RT_CONSUMABLE_INFO">Consumables</l:text>
  <l:text key="RT_ALERT_HISTORY">Alert history</l:text>
  <l:text key="RT_ALERT_TREND">Alert trend</l:text>
  <l:text key="RT_ALERT_TRAP_HISTORY">Trap history</l:text>
  <l:text key="RT_DEVICE_LIST">Device list</l:text>
  <l:text key="RT_DEVICE_FIRMWARE_INFO">Firmware information</l:text>
  <l:text key="RT_JAC_USER_BASIC">Job accounting by user</l:text>
  <l:text key="RT_JAC_DEVICE_BASIC">Job accounting by device</l:text>
  <l:text key="RT_JAC_DEVICE_PRINT_DETAILS">Print details by device</l:text>
  <l:text key="RT_JAC_USER_PRINT_DETAILS">Print details by user</l:text>
  <l:text key="RT_JAC_USER_COPY_DETAILS">Copy details by user</l:text>
  <l:text key="RT_JAC_DEVICE_COPY_DETAILS">Copy details by device</l:text>
  <l:text key="RT_JAC_USER_FAX_DETAILS">Fax details by user</l:text>
  <l:text key="RT_JAC_DEVICE_FAX_DETAILS">Fax details by device</l:text>
  <l:text key="RT_JAC_USER_SCAN_DETAILS">Scan details by user</l:text>
  <l:text key="RT_JAC_DEVICE_SCAN_DETAILS">Scan details by device</l:text>
  <l:text key="RT_CONSUMABLE_TONER">Toner alarms</l:text>
  <l:text key="RT_USAGE_CURRENT_TOTAL_PAGES">Total pages: device counters</l:text>

  <!-- Headings and notes -->
  <l:text key="report">Report</l:text>
  <l:text key="period">Period</l:text>
  <l:text key="generated">Generated</l:text>
  <l:text key="selection">Selection</l:text>
  <l:text key="interval">Interval</l:text>
  <l:text key="grouped-by">Grouped by</l:text>
  <l:text key="summary">Summary</l:text>
  <l:text key="all-devices">All selected devices</l:text>
  <l:text key="devices">Devices</l:text>
  <l:text key="groups">Groups</l:text>
  <l:text key="models">Models</l:text>
  <l:text key="no-data">No data for this report.</l:text>
  <l:text key="no-device-data">No data for this device.</l:text>
  <l:text key="chart">Chart</l:text>
  <l:text key="total">Total</l:text>
  <l:text key="property">Property</l:text>
  <l:text key="value">Value</l:text>
  <l:text key="users">Users</l:text>
  <l:text key="I_HOUR">Hour</l:text>
  <l:text key="I_DAY">Day</l:text>
  <l:text key="I_WEEK">Week</l:text>
  <l:text key="I_MONTH">Month</l:text>
  <l:text key="Yes">Yes</l:text>
  <l:text key="No">No</l:text>

  <!-- Counter labels -->
  <l:text key="#I18N_COLOR#">Color</l:text>
  <l:text key="#I18N_MONO#">Mono</l:text>
  <l:text key="#I18N_SIMPLEX#">Simplex</l:text>
  <l:text key="#I18N_DUPLEX#">Duplex</l:text>
  <l:text key="#I18N_SMALL#">Small paper</l:text>
  <l:text key="#I18N_LARGE#">Large paper</l:text>
  <l:text key="#I18N_PRINT#">Print</l:text>
  <l:text key="#I18N_COPY#">Copy</l:text>
  <l:text key="#I18N_SCAN#">Scan</l:text>
  <l:text key="#I18N_INCOMING_FAX#">Incoming fax</l:text>
  <l:text key="#I18N_REPORT#">Reports</l:text>
  <l:text key="#I18N_JAM#">Paper jams</l:text>
  <l:text key="#I18N_SUPPLY_ALERT#">Supply alerts</l:text>
  <l:text key="#I18N_DEVICE_ALERT#">Device alerts</l:text>
  <l:text key="#I18N_SERVICE_ALERT#">Service alerts</l:text>
  <l:text key="Small_Simplex_Mono">Small simplex mono</l:text>
  <l:text key="Small_Simplex_Color">Small simplex color</l:text>
  <l:text key="Small_Duplex_Mono">Small duplex mono</l:text>
  <l:text key="Small_Duplex_Color">Small duplex color</l:text>
  <l:text key="Large_Simplex_Mono">Large simplex mono</l:text>
  <l:text key="Large_Simplex_Color">Large simplex color</l:text>
  <l:text key="Large_Duplex_Mono">Large duplex mono</l:text>
  <l:text key="Large_Duplex_Color">Large duplex color</l:text>
  <l:text key="Color_Counter">Color</l:text>
  <l:text key="Mono_Counter">Mono</l:text>
  <l:text key="Simplex_Counter">Simplex</l:text>
  <l:text key="Duplex_Counter">Duplex</l:text>
  <l:text key="A3_Counter">A3</l:text>
  <l:text key="A4_Counter">A4</l:text>
  <l:text key="A5_Counter">A5</l:text>
  <l:text key="Letter_Counter">Letter</l:text>
  <l:text key="Exec_Counter">Executive</l:text>
  <l:text key="B5_Counter">B5</l:text>
  <l:text key="Copy_Counter">Copy</l:text>
  <l:text key="Scan_Counter">Scan</l:text>
  <l:text key="DigiSend_Counter">Digital send</l:text>
  <l:text key="IncomingFax_Counter">Incoming fax</l:text>
  <l:text key="OutgoingFax_Counter">Outgoing fax</l:text>
  <l:text key="DigiReceive_Counter">Digital receive</l:text>
  <l:text key="Small_Counter">Small paper</l:text>
  <l:text key="Large_Counter">Large paper</l:text>
  <l:text key="Print_Counter">Print</l:text>
  <l:text key="Report_Counter">Reports</l:text>
  <l:text key="Total">Total</l:text>
  <l:text key="Period">Period</l:text>
  <l:text key="Jam">Paper jams</l:text>
  <l:text key="SupplyAlert">Supply alerts</l:text>
  <l:text key="DeviceAlert">Device alerts</l:text>
  <l:text key="ServiceAlert">Service alerts</l:text>

  <!-- Device columns and properties -->
  <l:text key="ID">Device ID</l:text>
  <l:text key="DeviceID">Device ID</l:text>
  <l:text key="deviceid">Device ID</l:text>
  <l:text key="Group">Group</l:text>
  <l:text key="Status">Status</l:text>
  <l:text key="HostName">Host name</l:text>
  <l:text key="IP">IP address</l:text>
  <l:text key="MAC">MAC address</l:text>
  <l:text key="Contact">Contact</l:text>
  <l:text key="Location">Location</l:text>
  <l:text key="ModelName">Model</l:text>
  <l:text key="Manufacturer">Manufacturer</l:text>
  <l:text key="Serial">Serial number</l:text>
  <l:text key="Color">Color capable</l:text>
  <l:text key="Duplex">Duplex capable</l:text>
  <l:text key="PPM">Speed</l:text>
  <l:text key="PhysicalMemory">Memory</l:text>
  <l:text key="ConsoleBuffers">Console buffers</l:text>
  <l:text key="ConsoleLocked">Console locked</l:text>
  <l:text key="ConsoleLanguage">Console language</l:text>
  <l:text key="SubnetMask">Subnet mask</l:text>
  <l:text key="Gateway">Gateway</l:text>
  <l:text key="Diagnostics">Diagnostics</l:text>
  <l:text key="SupplyInfos">Supplies</l:text>
  <l:text key="InputTrays">Input trays</l:text>
  <l:text key="OutputTrays">Output trays</l:text>
  <l:text key="Channels">Channels</l:text>
  <l:text key="Interfaces">Interfaces</l:text>
  <l:text key="CounterUnit">Counter unit</l:text>
  <l:text key="CountMarker">Page counter</l:text>
  <l:text key="CountMarkerPowerOn">Page counter at power-on</l:text>
  <l:text key="Alerts">Alerts</l:text>
  <l:text key="PrinterImageURL">Printer image</l:text>
  <l:text key="SysDescription">System description</l:text>
  <l:text key="DeviceDescription">Device description</l:text>
  <l:text key="PPMUnit">Speed unit</l:text>
  <l:text key="SystemUptime">Uptime (seconds)</l:text>
  <l:text key="ErrorState">Error state</l:text>
  <l:text key="EngineVer">Engine version</l:text>
  <l:text key="NicVer">Network card version</l:text>
  <l:text key="RowIndex">No.</l:text>
  <l:text key="SupplyType">Type</l:text>
  <l:text key="Description">Description</l:text>
  <l:text key="Unit">Unit</l:text>
  <l:text key="MaxCapacity">Capacity</l:text>
  <l:text key="Level">Level</l:text>
  <l:text key="Name">Name</l:text>
  <l:text key="MediaName">Media</l:text>
  <l:text key="CurrentLevel">Current level</l:text>

  <!-- History columns -->
  <l:text key="AlertCode">Alert code</l:text>
  <l:text key="AlertGroup">Alert group</l:text>
  <l:text key="AlertTime">Alert time</l:text>
  <l:text key="SeverityLevel">Severity</l:text>
  <l:text key="TimeValue">Recorded</l:text>
  <l:text key="TrainingLevel">Training level</l:text>
  <l:text key="DevStatus">Discovery status</l:text>
  <l:text key="StartTime">Discovered</l:text>
  <l:text key="FwType">Firmware</l:text>
  <l:text key="FwVersionOld">Previous version</l:text>
  <l:text key="FwVersionNew">New version</l:text>
  <l:text key="UpgradeTime">Upgraded</l:text>

  <!-- Job accounting -->
  <l:text key="Login">Login</l:text>
  <l:text key="UserName">User name</l:text>
  <l:text key="GroupName">User group</l:text>
  <l:text key="IPAddress">IP address</l:text>
  <l:text key="HardwareAddress">MAC address</l:text>
  <l:text key="PrintedBW">Printed mono</l:text>
  <l:text key="PrintedColor">Printed color</l:text>
  <l:text key="CopiedBW">Copied mono</l:text>
  <l:text key="CopiedColor">Copied color</l:text>
  <l:text key="FaxTx">Faxes sent</l:text>
  <l:text key="Scan">Scans</l:text>
  <l:text key="SimplexMono">Simplex mono</l:text>
  <l:text key="SimplexColor">Simplex color</l:text>
  <l:text key="DuplexMono">Duplex mono</l:text>
  <l:text key="DuplexColor">Duplex color</l:text>
  <l:text key="PaperA4">A4</l:text>
  <l:text key="PaperLetter">Letter</l:text>
  <l:text key="PaperLegal">Legal</l:text>
  <l:text key="PaperOthers">Other paper</l:text>
  <l:text key="Staple">Stapled</l:text>
  <l:text key="MonoTx">Sent mono</l:text>
  <l:text key="ColorTx">Sent color</l:text>
  <l:text key="Email">E-mail</l:text>
  <l:text key="FTP">FTP</l:text>
  <l:text key="SMB">SMB</l:text>
  <l:text key="Application">Application</l:text>
  <l:text key="USB">USB</l:text>
</xsl:stylesheet>
