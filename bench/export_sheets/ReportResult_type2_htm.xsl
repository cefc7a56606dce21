<?xml version="1.0" encoding="UTF-8"?>
<!-- Benchmark stand-in for the installed row-report page: one table per Report, a header from
     the first row's columns, one line per row. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/VXNResponse">
    <html>
      <head>
        <title><xsl:value-of select="Info/ReportType"/></title>
        <style>table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:2px 6px}</style>
      </head>
      <body>
        <h1><xsl:value-of select="Info/ReportType"/></h1>
        <p><xsl:value-of select="Info/ReportDate"/></p>
        <xsl:for-each select="Body/Report">
          <table>
            <tr><xsl:for-each select="Row[1]/*"><th><xsl:value-of select="local-name()"/></th></xsl:for-each></tr>
            <xsl:for-each select="Row">
              <tr><xsl:for-each select="*"><td><xsl:value-of select="."/></td></xsl:for-each></tr>
            </xsl:for-each>
          </table>
        </xsl:for-each>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
