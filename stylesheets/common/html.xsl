<?xml version="1.0" encoding="UTF-8"?>
<!-- A report as one self-contained, printable web page: title, period, generation time and
     selection at the top, then the body in the shape the report document has (counter tables,
     a chart, one table per device, a property summary, plain rows or job accounting records). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:k="urn:velm:kinds" exclude-result-prefixes="k">
  <xsl:include href="report.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>

  <xsl:template match="/">
    <html lang="{$lang}">
      <head>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <title><xsl:call-template name="title"/></title>
        <style>
body { font-family: "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif; font-size: 13px;
       color: #1f2933; margin: 24px 32px; background: #fff; }
header { border-bottom: 3px solid #2f6690; padding-bottom: 10px; margin-bottom: 18px; }
h1 { font-size: 22px; margin: 0 0 8px 0; color: #16324f; }
h2 { font-size: 15px; margin: 22px 0 4px 0; color: #16324f; }
h3 { font-size: 13px; margin: 12px 0 4px 0; color: #3a506b; }
dl.meta { display: grid; grid-template-columns: max-content auto; gap: 2px 14px; margin: 0; }
dl.meta dt { color: #52606d; }
dl.meta dd { margin: 0; }
p.device { margin: 0 0 6px 0; color: #52606d; }
p.note { color: #7b8794; font-style: italic; }
table { border-collapse: collapse; margin: 4px 0 14px 0; }
th, td { border: 1px solid #cbd2d9; padding: 3px 7px; text-align: left; vertical-align: top;
         white-space: nowrap; }
table.properties td { white-space: normal; }
thead th { background: #2f6690; color: #fff; font-weight: 600; white-space: normal; }
tbody tr:nth-child(even) td { background: #f0f4f8; }
tfoot td { font-weight: bold; background: #d9e2ec; }
td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }
td.negative { color: #b42318; }
table.properties th { background: #f0f4f8; color: #1f2933; font-weight: normal; width: 16em; }
section.device { break-inside: avoid; page-break-inside: avoid; }
figure { margin: 0; }
img.chart { display: block; margin: 8px 0; border: 1px solid #cbd2d9; max-width: 100%; }
@media print {
  body { margin: 0; font-size: 10pt; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; page-break-inside: avoid; }
  thead th { background: #d9e2ec; color: #000; }
}
        </style>
      </head>
      <body>
        <header>
          <h1><xsl:call-template name="title"/></h1>
          <xsl:apply-templates select="$info"/>
        </header>
        <main>
          <xsl:apply-templates select="$body"/>
        </main>
      </body>
    </html>
  </xsl:template>

  <!-- Report heading -->
  <xsl:template match="Info">
    <dl class="meta">
      <dt><xsl:call-template name="text"><xsl:with-param name="key" select="'period'"/></xsl:call-template></dt>
      <dd>
        <xsl:choose>
          <xsl:when test="From and To">
            <xsl:call-template name="date-time"><xsl:with-param name="value" select="string(From)"/></xsl:call-template>
            <xsl:text> – </xsl:text>
            <xsl:call-template name="date-time"><xsl:with-param name="value" select="string(To)"/></xsl:call-template>
          </xsl:when>
          <xsl:otherwise>–</xsl:otherwise>
        </xsl:choose>
      </dd>
      <xsl:if test="string(Interval)">
        <dt><xsl:call-template name="text"><xsl:with-param name="key" select="'interval'"/></xsl:call-template></dt>
        <dd><xsl:call-template name="text"><xsl:with-param name="key" select="string(Interval)"/></xsl:call-template></dd>
      </xsl:if>
      <xsl:if test="IsSummary = 'Yes' and string(GroupBy)">
        <dt><xsl:call-template name="text"><xsl:with-param name="key" select="'grouped-by'"/></xsl:call-template></dt>
        <dd><xsl:call-template name="text"><xsl:with-param name="key" select="string(GroupBy)"/></xsl:call-template></dd>
      </xsl:if>
      <dt><xsl:call-template name="text"><xsl:with-param name="key" select="'generated'"/></xsl:call-template></dt>
      <dd><xsl:call-template name="date-time"><xsl:with-param name="value" select="string(ReportDate)"/></xsl:call-template></dd>
      <dt><xsl:call-template name="text"><xsl:with-param name="key" select="'selection'"/></xsl:call-template></dt>
      <dd><xsl:call-template name="selection"/></dd>
    </dl>
  </xsl:template>

  <xsl:template name="selection">
    <xsl:choose>
      <xsl:when test="Selection/Group">
        <xsl:call-template name="text"><xsl:with-param name="key" select="'groups'"/></xsl:call-template>
        <xsl:text>: </xsl:text>
        <xsl:for-each select="Selection/Group">
          <xsl:if test="position() &gt; 1">, </xsl:if>
          <xsl:value-of select="."/>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="Selection/Model">
        <xsl:call-template name="text"><xsl:with-param name="key" select="'models'"/></xsl:call-template>
        <xsl:text>: </xsl:text>
        <!-- Models are held in the quotes of their SQL text. -->
        <xsl:for-each select="Selection/Model">
          <xsl:if test="position() &gt; 1">, </xsl:if>
          <xsl:choose>
            <xsl:when test="starts-with(., &quot;'&quot;) and substring(., string-length(.)) = &quot;'&quot;">
              <xsl:value-of select="substring(., 2, string-length(.) - 2)"/>
            </xsl:when>
            <xsl:otherwise><xsl:value-of select="."/></xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$body/Device">
        <xsl:call-template name="text"><xsl:with-param name="key" select="'devices'"/></xsl:call-template>
        <xsl:value-of select="concat(': ', count($body/Device))"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="text"><xsl:with-param name="key" select="'all-devices'"/></xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Body, by the shape the report document has -->
  <xsl:template match="Body">
    <xsl:choose>
      <xsl:when test="ChartPath"><xsl:apply-templates select="ChartPath"/></xsl:when>
      <xsl:when test="Columns and Device"><xsl:apply-templates select="Device" mode="counters"/></xsl:when>
      <xsl:when test="Columns"><xsl:apply-templates select="Report" mode="counters"/></xsl:when>
      <xsl:when test="$jac-kind"><xsl:apply-templates select="$jac-kind"/></xsl:when>
      <xsl:when test="Device/Report"><xsl:apply-templates select="Device" mode="rows"/></xsl:when>
      <xsl:when test="Device"><xsl:apply-templates select="Device" mode="properties"/></xsl:when>
      <xsl:when test="Report/Row"><xsl:apply-templates select="Report" mode="rows"/></xsl:when>
      <xsl:otherwise><xsl:call-template name="no-data"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="no-data">
    <p class="note"><xsl:call-template name="text"><xsl:with-param name="key" select="'no-data'"/></xsl:call-template></p>
  </xsl:template>

  <!-- The chart path is relative to the web root; the page lies two folders below it
       (temp/<upload>/<file>), so the image is reached from there. -->
  <xsl:template match="ChartPath">
    <xsl:variable name="path" select="normalize-space(.)"/>
    <xsl:variable name="src">
      <xsl:choose>
        <xsl:when test="starts-with($path, '/') or contains($path, '://')"><xsl:value-of select="$path"/></xsl:when>
        <xsl:otherwise><xsl:value-of select="concat('../../', $path)"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <figure>
      <img class="chart" src="{$src}">
        <xsl:attribute name="alt"><xsl:call-template name="title"/></xsl:attribute>
      </img>
    </figure>
  </xsl:template>

  <!-- A device's heading: host name and address, then what identifies it. Report devices name
       their address IP and MAC, job accounting devices IPAddress and HardwareAddress. -->
  <xsl:template match="Device" mode="heading">
    <xsl:variable name="address" select="string(IP | IPAddress)"/>
    <h2>
      <xsl:value-of select="HostName"/>
      <xsl:if test="string(HostName) and $address"> · </xsl:if>
      <xsl:value-of select="$address"/>
      <xsl:if test="not(string(HostName)) and not($address)">
        <xsl:call-template name="text"><xsl:with-param name="key" select="'ID'"/></xsl:call-template>
        <xsl:value-of select="concat(' ', @ID)"/>
      </xsl:if>
    </h2>
    <p class="device">
      <xsl:for-each select="(ModelName | Serial | Location | MAC | HardwareAddress)[string(.)]">
        <xsl:if test="position() &gt; 1"> · </xsl:if>
        <xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template>
        <xsl:value-of select="concat(': ', .)"/>
      </xsl:for-each>
    </p>
  </xsl:template>

  <!-- Counter reports: Period (or the summary's grouping columns), the counters, Total. -->
  <xsl:template match="Device" mode="counters">
    <section class="device">
      <xsl:apply-templates select="." mode="heading"/>
      <xsl:choose>
        <xsl:when test="Report/Row"><xsl:apply-templates select="Report" mode="counters"/></xsl:when>
        <xsl:otherwise><xsl:call-template name="no-device-data"/></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <xsl:template match="Report" mode="counters">
    <xsl:variable name="fields" select="$body/Columns/Column/@field"/>
    <!-- Whatever is neither a counter nor the total names the row: Period, or the summary's group. -->
    <xsl:variable name="keys" select="Row[1]/*[not(name() = $fields) and name() != 'Total']"/>
    <xsl:variable name="rows" select="Row"/>
    <table>
      <thead>
        <tr>
          <xsl:for-each select="$keys">
            <th><xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template></th>
          </xsl:for-each>
          <xsl:for-each select="$body/Columns/Column">
            <th class="n"><xsl:call-template name="text"><xsl:with-param name="key" select="string(@label)"/></xsl:call-template></th>
          </xsl:for-each>
          <th class="n"><xsl:call-template name="text"><xsl:with-param name="key" select="'Total'"/></xsl:call-template></th>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$rows">
          <xsl:variable name="row" select="."/>
          <tr>
            <xsl:for-each select="$keys">
              <xsl:call-template name="cell">
                <xsl:with-param name="value" select="$row/*[name() = name(current())]"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$fields">
              <xsl:call-template name="counter-cell">
                <xsl:with-param name="value" select="$row/*[name() = current()]"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:call-template name="counter-cell"><xsl:with-param name="value" select="Total"/></xsl:call-template>
          </tr>
        </xsl:for-each>
      </tbody>
      <xsl:if test="count($rows) &gt; 1">
        <tfoot>
          <tr>
            <td colspan="{count($keys)}">
              <xsl:call-template name="text"><xsl:with-param name="key" select="'total'"/></xsl:call-template>
            </td>
            <xsl:for-each select="$fields">
              <xsl:call-template name="sum-cell">
                <xsl:with-param name="values" select="$rows/*[name() = current()]"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:call-template name="sum-cell"><xsl:with-param name="values" select="$rows/Total"/></xsl:call-template>
          </tr>
        </tfoot>
      </xsl:if>
    </table>
  </xsl:template>

  <!-- Row reports: one table per device, or all rows in one table; columns as the rows hold them. -->
  <xsl:template match="Device" mode="rows">
    <section class="device">
      <xsl:apply-templates select="." mode="heading"/>
      <xsl:choose>
        <xsl:when test="Report/Row"><xsl:apply-templates select="Report" mode="rows"/></xsl:when>
        <xsl:otherwise><xsl:call-template name="no-device-data"/></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <xsl:template match="Report" mode="rows">
    <xsl:call-template name="table">
      <xsl:with-param name="columns" select="Row[1]/*"/>
      <xsl:with-param name="rows" select="Row"/>
    </xsl:call-template>
  </xsl:template>

  <xsl:template name="no-device-data">
    <p class="note"><xsl:call-template name="text"><xsl:with-param name="key" select="'no-device-data'"/></xsl:call-template></p>
  </xsl:template>

  <!-- A table of rows whose cells are found by the names of the column elements given. -->
  <xsl:template name="table">
    <xsl:param name="columns"/>
    <xsl:param name="rows"/>
    <table>
      <thead>
        <tr>
          <xsl:for-each select="$columns">
            <xsl:sort select="string-length(substring-before(concat($column-order, name(), ' '), concat(' ', name(), ' ')))"
                      data-type="number"/>
            <th>
              <!-- A column of numbers has its heading over them, on the right. -->
              <xsl:if test="string(number(.)) != 'NaN'"><xsl:attribute name="class">n</xsl:attribute></xsl:if>
              <xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template>
            </th>
          </xsl:for-each>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$rows">
          <xsl:variable name="row" select="."/>
          <tr>
            <xsl:for-each select="$columns">
              <xsl:sort select="string-length(substring-before(concat($column-order, name(), ' '), concat(' ', name(), ' ')))"
                        data-type="number"/>
              <xsl:choose>
                <!-- Page counters read as the counter reports show them. -->
                <xsl:when test="name() = 'CountMarker' or substring-after(name(), '_') = 'Counter'">
                  <xsl:call-template name="counter-cell">
                    <xsl:with-param name="value" select="$row/*[name() = name(current())]"/>
                  </xsl:call-template>
                </xsl:when>
                <xsl:otherwise>
                  <xsl:call-template name="cell">
                    <xsl:with-param name="value" select="$row/*[name() = name(current())]"/>
                  </xsl:call-template>
                </xsl:otherwise>
              </xsl:choose>
            </xsl:for-each>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <!-- Device property summary: simple properties as a list, table properties as tables. -->
  <xsl:template match="Device" mode="properties">
    <section class="device">
      <xsl:apply-templates select="." mode="heading"/>
      <table class="properties">
        <tbody>
          <xsl:for-each select="*[not(RowIndex)]">
            <tr>
              <th><xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template></th>
              <td><xsl:value-of select="."/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
      <xsl:for-each select="*[RowIndex]">
        <h3><xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template></h3>
        <xsl:variable name="columns" select="RowIndex[1]/*"/>
        <table>
          <thead>
            <tr>
              <th class="n"><xsl:call-template name="text"><xsl:with-param name="key" select="'RowIndex'"/></xsl:call-template></th>
              <xsl:for-each select="$columns">
                <th>
                  <xsl:if test="string(number(.)) != 'NaN'"><xsl:attribute name="class">n</xsl:attribute></xsl:if>
                  <xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template>
                </th>
              </xsl:for-each>
            </tr>
          </thead>
          <tbody>
            <xsl:for-each select="RowIndex">
              <xsl:variable name="row" select="."/>
              <tr>
                <xsl:call-template name="cell"><xsl:with-param name="value" select="@ID"/></xsl:call-template>
                <xsl:for-each select="$columns">
                  <xsl:call-template name="cell">
                    <xsl:with-param name="value" select="$row/*[name() = name(current())]"/>
                  </xsl:call-template>
                </xsl:for-each>
              </tr>
            </xsl:for-each>
          </tbody>
        </table>
      </xsl:for-each>
    </section>
  </xsl:template>

  <!-- Job accounting: one table per user (the devices used) or per device (its users), with
       totals; the group stylesheets gather users, or a device's users, by user group instead. -->
  <xsl:key name="user-by-group" match="ByUser/User" use="string(GroupName)"/>
  <xsl:key name="record-by-group" match="ByDevice/Device/Record"
           use="concat(generate-id(..), '|', GroupName)"/>

  <xsl:template match="Basic | PrintDetails | CopyDetails | FaxDetails | ScanDetails">
    <xsl:choose>
      <xsl:when test="not($jac-records)"><xsl:call-template name="no-data"/></xsl:when>
      <xsl:when test="ByUser and $group-by-user-group">
        <xsl:for-each select="ByUser/User[generate-id() = generate-id(key('user-by-group', string(GroupName))[1])]">
          <xsl:sort select="GroupName"/>
          <xsl:variable name="users" select="key('user-by-group', string(GroupName))"/>
          <section class="device">
            <h2><xsl:value-of select="GroupName"/></h2>
            <p class="device">
              <xsl:call-template name="text"><xsl:with-param name="key" select="'users'"/></xsl:call-template>
              <xsl:value-of select="concat(': ', count($users))"/>
            </p>
            <xsl:call-template name="jac-table">
              <xsl:with-param name="records" select="$users/Record"/>
              <xsl:with-param name="owner-fields" select="Login | UserName"/>
            </xsl:call-template>
          </section>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <xsl:apply-templates select="ByUser/User | ByDevice/Device" mode="jac"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="User" mode="jac">
    <section class="device">
      <h2>
        <xsl:value-of select="Login"/>
        <xsl:if test="string(UserName)"><xsl:value-of select="concat(' · ', UserName)"/></xsl:if>
      </h2>
      <xsl:if test="string(GroupName)">
        <p class="device">
          <xsl:call-template name="text"><xsl:with-param name="key" select="'GroupName'"/></xsl:call-template>
          <xsl:value-of select="concat(': ', GroupName)"/>
        </p>
      </xsl:if>
      <xsl:call-template name="jac-table"><xsl:with-param name="records" select="Record"/></xsl:call-template>
    </section>
  </xsl:template>

  <xsl:template match="ByDevice/Device" mode="jac">
    <xsl:variable name="device" select="."/>
    <section class="device">
      <xsl:apply-templates select="." mode="heading"/>
      <xsl:choose>
        <xsl:when test="not(Record)"><xsl:call-template name="no-device-data"/></xsl:when>
        <xsl:when test="$group-by-user-group">
          <xsl:for-each select="Record[generate-id() = generate-id(key('record-by-group', concat(generate-id($device), '|', GroupName))[1])]">
            <xsl:sort select="GroupName"/>
            <h3><xsl:value-of select="GroupName"/></h3>
            <xsl:call-template name="jac-table">
              <xsl:with-param name="records" select="key('record-by-group', concat(generate-id($device), '|', GroupName))"/>
            </xsl:call-template>
          </xsl:for-each>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="jac-table"><xsl:with-param name="records" select="Record"/></xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <!-- Records as rows: the owner's fields (when given), the record's own fields, its counters. -->
  <xsl:template name="jac-table">
    <xsl:param name="records"/>
    <xsl:param name="owner-fields" select="/.."/>
    <xsl:variable name="fields" select="$records[1]/*[not(contains(name(), 'RecordData'))]"/>
    <table>
      <thead>
        <tr>
          <xsl:for-each select="$owner-fields | $fields">
            <th><xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template></th>
          </xsl:for-each>
          <xsl:for-each select="$jac-counters">
            <th class="n">
              <xsl:call-template name="text">
                <xsl:with-param name="key" select="concat(self::k:c, name(self::*[not(self::k:c)]))"/>
              </xsl:call-template>
            </th>
          </xsl:for-each>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$records">
          <xsl:variable name="record" select="."/>
          <tr>
            <xsl:for-each select="$owner-fields">
              <xsl:call-template name="cell"><xsl:with-param name="value" select="$record/../*[name() = name(current())]"/></xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$fields">
              <xsl:call-template name="cell"><xsl:with-param name="value" select="$record/*[name() = name(current())]"/></xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$jac-counters">
              <xsl:variable name="counter" select="concat(self::k:c, name(self::*[not(self::k:c)]))"/>
              <xsl:call-template name="counter-cell">
                <xsl:with-param name="value" select="$record/*[contains(name(), 'RecordData')]/*[name() = $counter]"/>
              </xsl:call-template>
            </xsl:for-each>
          </tr>
        </xsl:for-each>
      </tbody>
      <xsl:if test="count($records) &gt; 1">
        <tfoot>
          <tr>
            <td colspan="{count($owner-fields | $fields)}">
              <xsl:call-template name="text"><xsl:with-param name="key" select="'total'"/></xsl:call-template>
            </td>
            <xsl:for-each select="$jac-counters">
              <xsl:variable name="counter" select="concat(self::k:c, name(self::*[not(self::k:c)]))"/>
              <xsl:call-template name="sum-cell">
                <xsl:with-param name="values" select="$records/*[contains(name(), 'RecordData')]/*[name() = $counter]"/>
              </xsl:call-template>
            </xsl:for-each>
          </tr>
        </tfoot>
      </xsl:if>
    </table>
  </xsl:template>

  <!-- Cells -->
  <xsl:template name="cell">
    <xsl:param name="value"/>
    <xsl:variable name="text" select="string($value)"/>
    <td>
      <xsl:if test="string(number($text)) != 'NaN'"><xsl:attribute name="class">n</xsl:attribute></xsl:if>
      <xsl:value-of select="$text"/>
    </td>
  </xsl:template>

  <!-- A counter: whole numbers with the locale's thousands separator; others as they are. -->
  <xsl:template name="counter-cell">
    <xsl:param name="value"/>
    <xsl:variable name="text" select="normalize-space($value)"/>
    <td>
      <xsl:attribute name="class">
        <xsl:text>n</xsl:text>
        <xsl:if test="number($text) &lt; 0"> negative</xsl:if>
      </xsl:attribute>
      <xsl:choose>
        <xsl:when test="$text != '' and string(number($text)) = $text and not(contains($text, '.'))">
          <xsl:value-of select="translate(format-number($text, '#,##0'), ',', $thousands-separator)"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
      </xsl:choose>
    </td>
  </xsl:template>

  <!-- Sum of the numeric values given; cells without a number (no data) do not count. -->
  <xsl:template name="sum-cell">
    <xsl:param name="values"/>
    <xsl:call-template name="counter-cell">
      <xsl:with-param name="value" select="sum($values[string(number(.)) != 'NaN'])"/>
    </xsl:call-template>
  </xsl:template>
</xsl:stylesheet>
