<?xml version="1.0" encoding="UTF-8"?>
<!-- What the HTML and CSV exports share: the parts of the export document (a VXNResponse holding
     the report's Info and Body), the label lookup of the locale, number tests and the counters of
     each job accounting record kind. Lives beside the locale's labels.xsl once installed. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:k="urn:velm:kinds" exclude-result-prefixes="k">
  <xsl:include href="labels.xsl"/>
  <xsl:strip-space elements="*"/>

  <xsl:variable name="info" select="/*/Info"/>
  <xsl:variable name="body" select="/*/Body"/>
  <!-- The group stylesheets (JACUserGroup, JACDeviceGroup) set this to order and subtotal the
       job accounting records by user group. -->
  <xsl:variable name="group-by-user-group" select="false()"/>

  <!-- The job accounting report the plug-in answered, when the body holds one. -->
  <xsl:variable name="jac-kind"
                select="$body/Report/*[self::Basic or self::PrintDetails or self::CopyDetails
                                       or self::FaxDetails or self::ScanDetails][1]"/>

  <!-- Counters of each record data kind, in the order a reader expects them. -->
  <k:kind name="BasicRecordData">
    <k:c>PrintedBW</k:c><k:c>PrintedColor</k:c><k:c>CopiedBW</k:c><k:c>CopiedColor</k:c>
    <k:c>FaxTx</k:c><k:c>Scan</k:c>
  </k:kind>
  <k:kind name="PrintDetailsRecordData">
    <k:c>SimplexMono</k:c><k:c>SimplexColor</k:c><k:c>DuplexMono</k:c><k:c>DuplexColor</k:c>
    <k:c>PaperA4</k:c><k:c>PaperLetter</k:c><k:c>PaperLegal</k:c><k:c>PaperOthers</k:c>
    <k:c>Staple</k:c>
  </k:kind>
  <k:kind name="CopyDetailsRecordData">
    <k:c>SimplexMono</k:c><k:c>SimplexColor</k:c><k:c>DuplexMono</k:c><k:c>DuplexColor</k:c>
    <k:c>PaperA4</k:c><k:c>PaperLetter</k:c><k:c>PaperLegal</k:c><k:c>PaperOthers</k:c>
    <k:c>Staple</k:c>
  </k:kind>
  <k:kind name="FaxDetailsRecordData">
    <k:c>MonoTx</k:c><k:c>ColorTx</k:c>
  </k:kind>
  <k:kind name="ScanDetailsRecordData">
    <k:c>SimplexMono</k:c><k:c>SimplexColor</k:c><k:c>DuplexMono</k:c><k:c>DuplexColor</k:c>
    <k:c>Email</k:c><k:c>FTP</k:c><k:c>SMB</k:c><k:c>Application</k:c><k:c>USB</k:c>
  </k:kind>

  <!-- Columns of the row reports in the order their queries answer them: a report holds a row's
       columns by name in alphabetical order, which would put "Copy" before the device and the
       device id after its counters. Columns a type does not list follow in the row's order. -->
  <k:columns type="RT_DEVICE_DISCOVERY_HISTORY" order="DeviceID IP DevStatus HostName ModelName MAC StartTime"/>
  <k:columns type="RT_DEVICE_FW_UPGRADE" order="DeviceID FwType FwVersionNew FwVersionOld UpgradeTime"/>
  <k:columns type="RT_CONSUMABLE_INFO" order="DeviceID RowIndex SupplyType Description Unit MaxCapacity Level"/>
  <k:columns type="RT_ALERT_HISTORY"
             order="DeviceID TimeValue AlertTime SeverityLevel TrainingLevel AlertCode AlertGroup Description"/>
  <k:columns type="RT_DEVICE_LIST" order="DeviceID ModelName IP MAC Status HostName Location Serial"/>
  <k:columns type="RT_DEVICE_FIRMWARE_INFO" order="DeviceID EngineVer NicVer"/>
  <k:columns type="RT_CONSUMABLE_TONER" order="DeviceID ModelName IP MAC ErrorState HostName Location Serial"/>
  <k:columns type="RT_USAGE_CURRENT_TOTAL_PAGES"
             order="deviceid IP ModelName Serial CountMarker Print_Counter Copy_Counter IncomingFax_Counter Scan_Counter Report_Counter"/>
  <!-- Blank-separated with a blank at each end, so that " name " finds a whole column name. -->
  <xsl:variable name="column-order"
                select="concat(' ', document('')/*/k:columns[@type = string($info/ReportType)]/@order, ' ')"/>

  <!-- The records of the job accounting report and the counter columns of their data kind; a kind
       this list does not know shows the counters its first record holds. A column's counter name
       is concat(self::k:c, name(self::*[not(self::k:c)])): the text of a listed k:c, or the name
       of a counter element. -->
  <xsl:variable name="jac-records" select="$jac-kind/*/*/Record"/>
  <xsl:variable name="jac-data-name" select="name($jac-records[1]/*[contains(name(), 'RecordData')])"/>
  <xsl:variable name="jac-known-counters" select="document('')/*/k:kind[@name = $jac-data-name]/k:c"/>
  <xsl:variable name="jac-counters"
                select="$jac-known-counters
                        | $jac-records[1]/*[contains(name(), 'RecordData')][not($jac-known-counters)]/*"/>

  <!-- Localised text of a label, column, property or report type name; a name without a text
       shows itself with blanks for underscores. -->
  <xsl:template name="text">
    <xsl:param name="key"/>
    <xsl:variable name="found" select="$labels[@key = $key]"/>
    <xsl:choose>
      <xsl:when test="$found"><xsl:value-of select="$found"/></xsl:when>
      <xsl:when test="starts-with($key, '#I18N_')">
        <xsl:value-of select="translate(substring-before(substring-after($key, '#I18N_'), '#'), '_', ' ')"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="translate($key, '_', ' ')"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="title">
    <xsl:call-template name="text">
      <xsl:with-param name="key" select="string($info/ReportType)"/>
    </xsl:call-template>
  </xsl:template>

  <!-- A date-time of Info ("yyyy-MM-dd hh:mm:ss") in the locale's order. -->
  <xsl:template name="date-time">
    <xsl:param name="value"/>
    <xsl:choose>
      <xsl:when test="$day-first and string-length($value) &gt;= 10 and substring($value, 5, 1) = '-'">
        <xsl:value-of select="concat(substring($value, 9, 2), '.', substring($value, 6, 2), '.',
                                     substring($value, 1, 4), substring($value, 11))"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$value"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>
