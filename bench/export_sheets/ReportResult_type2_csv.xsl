<?xml version="1.0" encoding="UTF-8"?>
<!-- Benchmark stand-in for the installed row-report table: a header line, then one line per
     row, every cell quoted with inner quotes doubled. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text" encoding="UTF-8"/>
  <xsl:template match="/VXNResponse">
    <xsl:for-each select="Body/Report">
      <xsl:for-each select="Row[1]/*">
        <xsl:if test="position() &gt; 1">,</xsl:if>
        <xsl:value-of select="local-name()"/>
      </xsl:for-each>
      <xsl:text>&#13;&#10;</xsl:text>
      <xsl:for-each select="Row">
        <xsl:for-each select="*">
          <xsl:if test="position() &gt; 1">,</xsl:if>
          <xsl:text>"</xsl:text>
          <xsl:call-template name="quoted"><xsl:with-param name="text" select="."/></xsl:call-template>
          <xsl:text>"</xsl:text>
        </xsl:for-each>
        <xsl:text>&#13;&#10;</xsl:text>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>
  <xsl:template name="quoted">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, '&quot;')">
        <xsl:value-of select="substring-before($text, '&quot;')"/>
        <xsl:text>""</xsl:text>
        <xsl:call-template name="quoted">
          <xsl:with-param name="text" select="substring-after($text, '&quot;')"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>
